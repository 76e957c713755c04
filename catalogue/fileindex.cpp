// The index file: a 20-byte prefix (the magic text, the layout version, a check sum of
// everything after the prefix), then the source, the records (fixed-width, little-endian) and
// the names. It is small (tens of bytes per name), so it is read and checked whole; a record
// that points outside the names or the file, or names out of order, make it unusable.
#include "catalogue/fileindex.h"

#include "catalogue/catalogue.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

static const char Magic[8] = {'T', 'O', 'R', 'V', 'I', 'N', 'D', 'X'};
static const uint32_t LayoutVersion = 1;
static const size_t RecordBytes = 24;
static const size_t ReadBlockSize = 1 << 20;

// ---- The table in memory

static std::string_view nameOf(const FileIndex& index, const IndexRecord& record)
{
    return std::string_view(index.Names).substr(record.NameOffset, record.NameLength);
}

int addNamedEntry(std::vector<NamedEntry>& entries, std::string_view list, std::string&& name,
                  IndexedEntry place)
{
    if (entries.size() >= IndexedNameLimit) return 0;
    entries.push_back({std::string(list), std::move(name), place});
    return 1;
}

static std::string keyOf(std::string_view list, std::string_view name)
{
    if (list.empty()) return std::string(name);
    std::string key(list);
    key += '\0';
    key += name;
    return key;
}

void fillFileIndex(FileIndex& index, std::vector<NamedEntry>& entries)
{
    // No machine's name is this long: such a "name" is a damaged line, not worth a lookup.
    std::erase_if(entries, [](const NamedEntry& entry)
                  { return entry.Name.size() > 256 || entry.List.size() > 256; });
    std::vector<std::pair<std::string, IndexedEntry>> keyed;
    keyed.reserve(entries.size());
    for (NamedEntry& entry : entries)
        keyed.emplace_back(keyOf(entry.List, entry.Name), entry.Place);
    // Stable, so that of the entries of one key the last is kept.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    index.Records.clear();
    index.Names.clear();
    for (size_t i = 0; i < keyed.size(); i++)
    {
        if (i + 1 < keyed.size() && keyed[i + 1].first == keyed[i].first) continue;
        index.Records.push_back(
            {(uint32_t)index.Names.size(), (uint32_t)keyed[i].first.size(), keyed[i].second});
        index.Names += keyed[i].first;
    }
}

int findIndexedEntry(const FileIndex& index, std::string_view list, std::string_view name,
                     IndexedEntry& place)
{
    std::string key = keyOf(list, name);
    auto found = std::lower_bound(index.Records.begin(), index.Records.end(), key,
                                  [&](const IndexRecord& record, std::string_view wanted)
                                  { return nameOf(index, record) < wanted; });
    if (found == index.Records.end() || nameOf(index, *found) != key) return 0;
    place = found->Place;
    return 1;
}

void closeFileIndex(FileIndex& index)
{
    index = FileIndex{};
}

// ---- The file format

static std::string formatIndexFile(const FileIndex& index)
{
    std::string out = startSealedFile(Magic, LayoutVersion);
    appendText(out, index.Source.Build);
    appendText(out, index.Encoding);
    appendFixed(out, index.Form, 4);
    appendStamp(out, index.Source);
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
    readStamp(reader, index.Source);
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

std::string indexPath(const std::string& path)
{
    return path + ".index";
}

// A missing index is the normal first start and is not told; any other reason is.
static int loadIndexBeside(const std::string& path, const SourceStamp& now, FileIndex& index)
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
                 path.c_str(), platformWhyUnreadable(path).c_str());
    unreadable.push_back(path);
}

int openFileIndex(FileIndex& index, const std::string& path, const char* kind,
                  const IndexBuilder& build)
{
    if (path.empty()) return closeFileIndex(index), 1;
    SourceStamp now;
    platformClearFailure();
    int readable = stampSource(path, now);
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
                 file ? "the file is shorter than its index says"
                      : platformWhyFailed("it cannot be opened").c_str());
    bytes.clear();
    return 0;
}

std::vector<std::string> readEntryLines(const FileIndex& index, std::string_view list,
                                        std::string_view name, EntryReader lines)
{
    IndexedEntry place;
    std::string bytes;
    if (!findIndexedEntry(index, list, name, place) ||
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
