// The index file: a 20-byte prefix (the magic text, the layout version, a check sum of
// everything after the prefix), then the source, the records (fixed-width, little-endian) and
// the names. It is small (tens of bytes per name), so it is read and checked whole; a record
// that points outside the names or the file, or names out of order, make it unusable.
#include "catalogue/fileindex.h"

#include "catalogue/catalogue.h"
#include "catalogue/snapshot.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

static const char Magic[8] = {'T', 'O', 'R', 'V', 'I', 'N', 'D', 'X'};
static const uint32_t LayoutVersion = 1;
static const size_t CheckedFrom = 20;
static const size_t RecordBytes = 24;
static const size_t ReadBlockSize = 1 << 20;

// ---- The table in memory

static std::string_view nameOf(const FileIndex& index, const IndexRecord& record)
{
    return std::string_view(index.Names).substr(record.NameOffset, record.NameLength);
}

void fillFileIndex(FileIndex& index, std::vector<NamedEntry>& entries)
{
    // No machine's name is this long: such a "name" is a damaged line, not worth a lookup.
    std::erase_if(entries, [](const NamedEntry& entry) { return entry.Name.size() > 256; });
    // Stable, so that of the entries naming one game the last is kept.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const NamedEntry& a, const NamedEntry& b) { return a.Name < b.Name; });
    index.Records.clear();
    index.Names.clear();
    for (size_t i = 0; i < entries.size(); i++)
    {
        if (i + 1 < entries.size() && entries[i + 1].Name == entries[i].Name) continue;
        index.Records.push_back(
            {(uint32_t)index.Names.size(), (uint32_t)entries[i].Name.size(), entries[i].Place});
        index.Names += entries[i].Name;
    }
}

int findIndexedEntry(const FileIndex& index, std::string_view name, IndexedEntry& place)
{
    auto found = std::lower_bound(index.Records.begin(), index.Records.end(), name,
                                  [&](const IndexRecord& record, std::string_view wanted)
                                  { return nameOf(index, record) < wanted; });
    if (found == index.Records.end() || nameOf(index, *found) != name) return 0;
    place = found->Place;
    return 1;
}

void closeFileIndex(FileIndex& index)
{
    index = FileIndex{};
}

// ---- The file format

static void putFixed(std::string& out, uint64_t value, int count)
{
    for (int i = 0; i < count; i++) out += (char)(value >> (8 * i));
}

static void putText(std::string& out, const std::string& text)
{
    putFixed(out, text.size(), 4);
    out += text;
}

int writeIndexFile(FILE* file, const FileIndex& index)
{
    std::string out(Magic, sizeof Magic);
    putFixed(out, LayoutVersion, 4);
    putFixed(out, 0, 8); // the check sum, once the rest is known
    putText(out, index.Source.Build);
    putText(out, index.Encoding);
    putFixed(out, index.Form, 4);
    putFixed(out, (uint64_t)index.Source.Size, 8);
    putFixed(out, (uint64_t)index.Source.Stamp, 8);
    putFixed(out, index.Source.Inode, 8);
    putFixed(out, index.Source.EndsHash, 8);
    putFixed(out, index.Records.size(), 4);
    putFixed(out, index.Names.size(), 4);
    for (const IndexRecord& record : index.Records)
    {
        putFixed(out, record.NameOffset, 4);
        putFixed(out, record.NameLength, 4);
        putFixed(out, record.Place.Offset, 8);
        putFixed(out, record.Place.Length, 8);
    }
    out += index.Names;
    uint64_t sum = snapshotChecksum(out.data() + CheckedFrom, out.size() - CheckedFrom);
    for (int i = 0; i < 8; i++) out[12 + i] = (char)(sum >> (8 * i));
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

// Reads forward through the index file's bytes; every read past the end answers 0 and marks
// the reader cut.
struct IndexReader
{
    const std::string* Bytes;
    size_t Position;
    int Cut;
};

static uint64_t getFixed(IndexReader& reader, int count)
{
    if (reader.Bytes->size() - reader.Position < (size_t)count)
    {
        reader.Cut = 1;
        return 0;
    }
    uint64_t value = 0;
    for (int i = 0; i < count; i++)
        value |= (uint64_t)(unsigned char)(*reader.Bytes)[reader.Position + i] << (8 * i);
    reader.Position += (size_t)count;
    return value;
}

static std::string getText(IndexReader& reader, uint64_t length)
{
    if (reader.Bytes->size() - reader.Position < length)
    {
        reader.Cut = 1;
        return "";
    }
    std::string text = reader.Bytes->substr(reader.Position, (size_t)length);
    reader.Position += (size_t)length;
    return text;
}

static void getHeader(IndexReader& reader, FileIndex& index)
{
    index.Source.Build = getText(reader, getFixed(reader, 4));
    index.Encoding = getText(reader, getFixed(reader, 4));
    index.Form = (uint32_t)getFixed(reader, 4);
    index.Source.Size = (int64_t)getFixed(reader, 8);
    index.Source.Stamp = (int64_t)getFixed(reader, 8);
    index.Source.Inode = getFixed(reader, 8);
    index.Source.EndsHash = getFixed(reader, 8);
}

// The records must point inside the names and the file, in strictly rising name order: then
// every lookup finds what the index was built with.
static const char* checkRecords(const FileIndex& index)
{
    for (size_t i = 0; i < index.Records.size(); i++)
    {
        const IndexRecord& record = index.Records[i];
        if ((uint64_t)record.NameOffset + record.NameLength > index.Names.size())
            return "a name lies outside the table";
        if (record.Place.Offset > (uint64_t)index.Source.Size ||
            record.Place.Length > (uint64_t)index.Source.Size - record.Place.Offset)
            return "an entry lies outside the file";
        if (i > 0 && !(nameOf(index, index.Records[i - 1]) < nameOf(index, record)))
            return "the names are out of order";
    }
    return nullptr;
}

static const char* readBody(IndexReader& reader, FileIndex& index)
{
    getHeader(reader, index);
    uint64_t count = getFixed(reader, 4), namesSize = getFixed(reader, 4);
    if (reader.Cut || count > (reader.Bytes->size() - reader.Position) / RecordBytes)
        return "it is cut short";
    index.Records.resize((size_t)count);
    for (IndexRecord& record : index.Records)
    {
        record.NameOffset = (uint32_t)getFixed(reader, 4);
        record.NameLength = (uint32_t)getFixed(reader, 4);
        record.Place.Offset = getFixed(reader, 8);
        record.Place.Length = getFixed(reader, 8);
    }
    index.Names = getText(reader, namesSize);
    if (reader.Cut) return "it is cut short";
    if (reader.Position != reader.Bytes->size()) return "it has bytes after its end";
    return checkRecords(index);
}

static uint64_t storedSum(const std::string& bytes)
{
    IndexReader reader = {&bytes, 12, 0};
    return getFixed(reader, 8);
}

int readIndexFile(const std::string& bytes, FileIndex& index, std::string& why)
{
    IndexReader reader = {&bytes, 0, 0};
    if (bytes.size() < CheckedFrom || std::memcmp(bytes.data(), Magic, sizeof Magic) != 0)
        return why = "it is not an index file", 0;
    reader.Position = sizeof Magic;
    if (getFixed(reader, 4) != LayoutVersion) return why = "it was made by another version", 0;
    if (storedSum(bytes) !=
        snapshotChecksum(bytes.data() + CheckedFrom, bytes.size() - CheckedFrom))
        return why = "its check sum does not match: it is damaged", 0;
    reader.Position = CheckedFrom;
    FileIndex read;
    const char* fault = readBody(reader, read);
    if (fault) return why = fault, 0;
    read.Path = index.Path;
    index = std::move(read);
    return 1;
}

// ---- The index beside the file

int operator==(const IndexSource& a, const IndexSource& b)
{
    return a.Build == b.Build && a.Size == b.Size && a.Stamp == b.Stamp && a.Inode == b.Inode &&
           a.EndsHash == b.EndsHash;
}

int describeIndexSource(const std::string& path, IndexSource& source)
{
    static const std::string build = platformBuildIdentity();
    FileIdentity identity;
    if (platformIsDirectory(path) || !platformFileIdentity(path, &identity)) return 0;
    source = {build, identity.Size, identity.Stamp, identity.Inode, 0};
    return hashFileEnds(path, identity.Size, &source.EndsHash);
}

std::string indexPath(const std::string& path)
{
    return path + ".index";
}

static std::string whyUnreadable(const std::string& path)
{
    if (!platformFileExists(path)) return "no such file";
    if (platformIsDirectory(path)) return "it is a folder";
    return errno ? std::strerror(errno) : "read error";
}

// A missing index is the normal first start and is not told; any other reason is.
static int loadIndexBeside(const std::string& path, const IndexSource& now, FileIndex& index)
{
    std::string file = indexPath(path), bytes, why;
    if (!platformFileExists(file)) return 0;
    index.Path = path;
    if (!platformReadFile(file, bytes))
        why = whyUnreadable(file);
    else if (readIndexFile(bytes, index, why) && index.Source == now)
        return 1;
    else if (why.empty())
        return 0; // made from an earlier state of the file: it is built again, as expected
    std::fprintf(stderr, "%s: %s; it is built again\n", file.c_str(), why.c_str());
    return 0;
}

static void saveIndexBeside(const FileIndex& index, const char* kind)
{
    static std::vector<std::string> told; // each file once, for the life of the program
    std::string file = indexPath(index.Path);
    errno = 0;
    if (platformReplaceFileWith(file, [&](FILE* out) { return writeIndexFile(out, index); }))
        return;
    if (std::find(told.begin(), told.end(), file) != told.end()) return;
    told.push_back(file);
    std::fprintf(stderr,
                 "%s: the index of the %s cannot be written (%s); it is kept in memory and built "
                 "again at every start\n",
                 file.c_str(), kind, errno ? std::strerror(errno) : "write error");
}

// A file that cannot be read is told once, and again only after it could be read meanwhile.
static void noteReadable(const std::string& path, const char* kind, int readable)
{
    static std::vector<std::string> unreadable;
    auto told = std::find(unreadable.begin(), unreadable.end(), path);
    if (readable && told != unreadable.end()) unreadable.erase(told);
    if (readable || told != unreadable.end()) return;
    std::fprintf(stderr, "%s cannot be read: [%s] (%s); its pages are not shown\n", kind,
                 path.c_str(), whyUnreadable(path).c_str());
    unreadable.push_back(path);
}

int openFileIndex(FileIndex& index, const std::string& path, const char* kind,
                  const IndexBuilder& build)
{
    if (path.empty()) return closeFileIndex(index), 1;
    IndexSource now;
    errno = 0;
    int readable = describeIndexSource(path, now);
    noteReadable(path, kind, readable);
    if (!readable) return closeFileIndex(index), 0;
    if (index.Path == path && index.Source == now) return 1;
    FileIndex next;
    if (!loadIndexBeside(path, now, next))
    {
        next = FileIndex{path, now, 0, "", {}, ""};
        std::vector<NamedEntry> entries;
        if (!build(path, next.Form, next.Encoding, entries)) return closeFileIndex(index), 0;
        fillFileIndex(next, entries);
        saveIndexBeside(next, kind);
    }
    index = std::move(next);
    return 1;
}

int readIndexedBytes(const FileIndex& index, IndexedEntry place, size_t limit, std::string& bytes)
{
    FILE* file = std::fopen(index.Path.c_str(), "rb");
    size_t want = (size_t)std::min<uint64_t>(place.Length, limit);
    bytes.assign(want, '\0');
    int read = file && std::fseek(file, (long)place.Offset, SEEK_SET) == 0 &&
               std::fread(bytes.data(), 1, want, file) == want;
    if (file) std::fclose(file);
    if (read) return 1;
    std::fprintf(stderr, "%s: an entry could not be read (%s)\n", index.Path.c_str(),
                 file ? "the file is shorter than its index says" : std::strerror(errno));
    bytes.clear();
    return 0;
}

std::vector<std::string> readEntryLines(const FileIndex& index, const std::string& name,
                                        EntryReader lines)
{
    IndexedEntry place;
    std::string bytes;
    if (!findIndexedEntry(index, name, place) ||
        !readIndexedBytes(index, place, EntryByteLimit, bytes))
        return {};
    std::vector<std::string> found = lines(index.Form, index.Encoding, bytes);
    int cuts = 0;
    for (std::string& line : found)
        if (line.size() > InfoLineLengthLimit)
            line = std::string(cutToLength(line, InfoLineLengthLimit, &cuts));
    if (place.Length > EntryByteLimit)
        found.push_back("[The rest of this entry, " + std::to_string(place.Length / 1024) +
                        " KB in all, is not shown.]");
    return found;
}

// ---- Reading a big file line by line

// Calls line for each whole line in the block's first end bytes and answers where the
// unfinished one starts; sets *stop when line asked to stop.
template <typename Line>
static size_t passLines(const std::string& block, size_t end, uint64_t blockOffset, Line& line,
                        int* stop)
{
    size_t start = 0;
    while (start < end)
    {
        const void* found = std::memchr(block.data() + start, '\n', end - start);
        if (!found) break;
        size_t newline = (size_t)((const char*)found - block.data());
        size_t stopAt = newline > start && block[newline - 1] == '\r' ? newline - 1 : newline;
        if (!line(std::string_view(block).substr(start, stopAt - start), blockOffset + start))
            return *stop = 1, start;
        start = newline + 1;
    }
    return start;
}

int forEachFileLine(FILE* file, const std::function<int(std::string_view, uint64_t)>& each)
{
    // A byte-order mark is not part of the first line: a keyword there is still one.
    auto line = [&each](std::string_view text, uint64_t offset)
    {
        if (offset == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") return each(text.substr(3), 3);
        return each(text, offset);
    };
    std::string block;
    size_t held = 0; // the unfinished line carried over from the block before
    uint64_t blockOffset = 0;
    int stop = 0;
    for (;;)
    {
        block.resize(held + ReadBlockSize);
        size_t got = std::fread(block.data() + held, 1, ReadBlockSize, file);
        size_t end = held + got;
        size_t rest = passLines(block, end, blockOffset, line, &stop);
        if (stop) return 1;
        if (got == 0) break;
        block.erase(0, rest);
        held = end - rest;
        blockOffset += rest;
    }
    if (std::ferror(file)) return 0;
    std::string_view last = std::string_view(block).substr(0, held);
    if (!last.empty() && last.back() == '\r') last.remove_suffix(1);
    if (held) line(last, blockOffset);
    return 1;
}
