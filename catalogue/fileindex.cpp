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

int addNamedEntry(std::vector<NamedEntry>& entries, std::string&& name, IndexedEntry place)
{
    if (entries.size() >= IndexedNameLimit) return 0;
    entries.push_back({std::move(name), place});
    return 1;
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

// ---- Sealed files

void appendFixed(std::string& out, uint64_t value, int count)
{
    for (int i = 0; i < count; i++) out += (char)(value >> (8 * i));
}

void appendText(std::string& out, std::string_view text)
{
    appendFixed(out, text.size(), 4);
    out += text;
}

uint64_t readFixed(ByteReader& reader, int count)
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

std::string readText(ByteReader& reader)
{
    uint64_t length = readFixed(reader, 4);
    if (reader.Bytes->size() - reader.Position < length)
    {
        reader.Cut = 1;
        return "";
    }
    std::string text = reader.Bytes->substr(reader.Position, (size_t)length);
    reader.Position += (size_t)length;
    return text;
}

void appendSource(std::string& out, const IndexSource& source)
{
    appendFixed(out, (uint64_t)source.Size, 8);
    appendFixed(out, (uint64_t)source.Stamp, 8);
    appendFixed(out, source.Inode, 8);
    appendFixed(out, source.EndsHash, 8);
}

void readSource(ByteReader& reader, IndexSource& source)
{
    source.Size = (int64_t)readFixed(reader, 8);
    source.Stamp = (int64_t)readFixed(reader, 8);
    source.Inode = readFixed(reader, 8);
    source.EndsHash = readFixed(reader, 8);
}

std::string startSealedFile(const char* magic, uint32_t version)
{
    std::string out(magic, 8);
    appendFixed(out, version, 4);
    appendFixed(out, 0, 8); // the check sum, once the rest is known
    return out;
}

void sealFile(std::string& bytes)
{
    uint64_t sum = snapshotChecksum(bytes.data() + CheckedFrom, bytes.size() - CheckedFrom);
    for (int i = 0; i < 8; i++) bytes[12 + i] = (char)(sum >> (8 * i));
}

int openSealedFile(const std::string& bytes, const char* magic, uint32_t version,
                   ByteReader& reader, std::string& why)
{
    reader = ByteReader{&bytes, 8, 0};
    if (bytes.size() < CheckedFrom || std::memcmp(bytes.data(), magic, 8) != 0)
        return why = "it is not a file of this kind", 0;
    if (readFixed(reader, 4) != version) return why = "it was made by another version", 0;
    if (readFixed(reader, 8) !=
        snapshotChecksum(bytes.data() + CheckedFrom, bytes.size() - CheckedFrom))
        return why = "its check sum does not match: it is damaged", 0;
    return 1;
}

// ---- The file format

static std::string formatIndexFile(const FileIndex& index)
{
    std::string out = startSealedFile(Magic, LayoutVersion);
    appendText(out, index.Source.Build);
    appendText(out, index.Encoding);
    appendFixed(out, index.Form, 4);
    appendSource(out, index.Source);
    appendFixed(out, index.Records.size(), 4);
    appendFixed(out, index.Names.size(), 4);
    for (const IndexRecord& record : index.Records)
    {
        appendFixed(out, record.NameOffset, 4);
        appendFixed(out, record.NameLength, 4);
        appendFixed(out, record.Place.Offset, 8);
        appendFixed(out, record.Place.Length, 8);
    }
    out += index.Names;
    sealFile(out);
    return out;
}

int writeIndexFile(FILE* file, const FileIndex& index)
{
    std::string out = formatIndexFile(index);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
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

static const char* readBody(ByteReader& reader, FileIndex& index)
{
    index.Source.Build = readText(reader);
    index.Encoding = readText(reader);
    index.Form = (uint32_t)readFixed(reader, 4);
    readSource(reader, index.Source);
    uint64_t count = readFixed(reader, 4), namesSize = readFixed(reader, 4);
    if (reader.Cut || count > (reader.Bytes->size() - reader.Position) / RecordBytes)
        return "it is cut short";
    index.Records.resize((size_t)count);
    for (IndexRecord& record : index.Records)
    {
        record.NameOffset = (uint32_t)readFixed(reader, 4);
        record.NameLength = (uint32_t)readFixed(reader, 4);
        record.Place.Offset = readFixed(reader, 8);
        record.Place.Length = readFixed(reader, 8);
    }
    if (reader.Bytes->size() - reader.Position < namesSize) return "it is cut short";
    index.Names = reader.Bytes->substr(reader.Position, (size_t)namesSize);
    reader.Position += (size_t)namesSize;
    if (reader.Position != reader.Bytes->size()) return "it has bytes after its end";
    return checkRecords(index);
}

int readIndexFile(const std::string& bytes, FileIndex& index, std::string& why)
{
    ByteReader reader;
    if (!openSealedFile(bytes, Magic, LayoutVersion, reader, why)) return 0;
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

std::string whyUnreadable(const std::string& path)
{
    if (!platformFileExists(path)) return "no such file";
    if (platformIsDirectory(path)) return "it is a folder";
    if (errno == EINVAL) return "it is no file to read"; // the reason is on the line before
    return errno ? std::strerror(errno) : "read error";
}

int readKeptFile(const std::string& file, std::string& bytes)
{
    if (!platformFileExists(file)) return 0;
    if (platformReadFile(file, bytes)) return 1;
    std::fprintf(stderr, "%s: %s; it is built again\n", file.c_str(), whyUnreadable(file).c_str());
    return 0;
}

void writeKeptFile(const std::string& file, const std::string& bytes, const char* what)
{
    static std::vector<std::string> told; // each file once, for the life of the program
    errno = 0;
    if (platformReplaceDerivedFile(file, bytes)) return;
    if (std::find(told.begin(), told.end(), file) != told.end()) return;
    told.push_back(file);
    std::fprintf(stderr,
                 "%s: %s cannot be written (%s); it is kept in memory and built again at every "
                 "start\n",
                 file.c_str(), what, errno ? std::strerror(errno) : "write error");
}

// A missing index is the normal first start and is not told; any other reason is.
static int loadIndexBeside(const std::string& path, const IndexSource& now, FileIndex& index)
{
    std::string file = indexPath(path), bytes, why;
    if (!readKeptFile(file, bytes)) return 0;
    index.Path = path;
    if (readIndexFile(bytes, index, why) && index.Source == now) return 1;
    if (why.empty()) return 0; // made from an earlier state of the file: built again, as expected
    std::fprintf(stderr, "%s: %s; it is built again\n", file.c_str(), why.c_str());
    return 0;
}

static void saveIndexBeside(const FileIndex& index, const char* kind)
{
    writeKeptFile(indexPath(index.Path), formatIndexFile(index),
                  ("the index of the " + std::string(kind)).c_str());
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
        if (entries.size() >= IndexedNameLimit)
            std::fprintf(stderr, "%s: more than %zu names; the first %zu are indexed\n",
                         path.c_str(), IndexedNameLimit, IndexedNameLimit);
        fillFileIndex(next, entries);
        saveIndexBeside(next, kind);
    }
    index = std::move(next);
    return 1;
}

int readIndexedBytes(const FileIndex& index, IndexedEntry place, size_t limit, std::string& bytes)
{
    FILE* file = platformOpenData(index.Path);
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

// A line longer than a page is given once, cut, and its rest passed over: the bytes held
// never grow much past EntryByteLimit whatever the file holds.
struct LineFeed
{
    std::string Block;
    size_t Held = 0;          // of Block: the unfinished line carried over
    uint64_t BlockOffset = 0; // of Block's first byte in the file
    int Skipping = 0;         // in the rest of a line already given cut
};

// Drops the first count bytes of the block.
static void dropBytes(LineFeed& feed, size_t count)
{
    feed.Block.erase(0, count);
    feed.BlockOffset += count;
    feed.Held -= count;
}

// Passes over the rest of a cut line, up to and with its line feed when the block holds it.
static void skipCutLine(LineFeed& feed)
{
    const void* found = std::memchr(feed.Block.data(), '\n', feed.Held);
    dropBytes(feed, found ? (size_t)((const char*)found - feed.Block.data()) + 1 : feed.Held);
    feed.Skipping = !found;
}

int forEachFileLine(FILE* file, const std::function<int(std::string_view, uint64_t)>& each)
{
    // A byte-order mark is not part of the first line: a keyword there is still one.
    auto line = [&each](std::string_view text, uint64_t offset)
    {
        if (offset == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") return each(text.substr(3), 3);
        return each(text, offset);
    };
    LineFeed feed;
    int stop = 0;
    for (;;)
    {
        feed.Block.resize(feed.Held + ReadBlockSize);
        size_t got = std::fread(feed.Block.data() + feed.Held, 1, ReadBlockSize, file);
        feed.Held += got;
        if (feed.Skipping) skipCutLine(feed);
        dropBytes(feed, passLines(feed.Block, feed.Held, feed.BlockOffset, line, &stop));
        if (stop) return 1;
        if (feed.Held > EntryByteLimit)
        {
            if (!line(std::string_view(feed.Block).substr(0, EntryByteLimit), feed.BlockOffset))
                return 1;
            dropBytes(feed, feed.Held);
            feed.Skipping = 1;
        }
        if (got == 0) break;
    }
    if (std::ferror(file)) return 0;
    std::string_view last = std::string_view(feed.Block).substr(0, feed.Held);
    if (!last.empty() && last.back() == '\r') last.remove_suffix(1);
    if (feed.Held) line(last, feed.BlockOffset);
    return 1;
}
