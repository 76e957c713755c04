// The index of a big text file of game entries (the history and command files): a table of set
// names and the bytes of each name's entry, built once by reading the file through, kept
// beside it in a file that checks itself, and read again at the next start instead of the
// file. Only the entry the player asks for is read from the file, when it is asked for.
#pragma once

#include "catalogue/sealedfile.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Where a name's entry lies in the file.
struct IndexedEntry
{
    uint64_t Offset;
    uint64_t Length;
};

// An entry is keyed by a list and a name: a machine's by its set name alone (the list
// MachineEntries), a software item's by its software list and its name ("nes", "smb").
inline constexpr std::string_view MachineEntries = "";

// One entry, as a reader finds it while it reads the file through.
struct NamedEntry
{
    std::string List;
    std::string Name;
    IndexedEntry Place;
};

struct IndexRecord
{
    uint32_t NameOffset, NameLength; // in FileIndex::Names
    IndexedEntry Place;
};

// An index in memory: records sorted by key (the list, a zero byte and the name; the name
// alone for a machine, so that indexes of machines keep their form), each key given once (by
// its last entry).
struct FileIndex
{
    std::string Path; // the indexed file; empty when none is open
    SourceStamp Source;
    uint32_t Form; // the reader's word for what the file turned out to be
    std::string Encoding;
    std::vector<IndexRecord> Records;
    std::string Names;
};

// What a reader makes of the file at path while it builds an index: the form, the entries and
// the encoding the file declares (empty: UTF-8). 0 when nothing could be read; it has said why.
typedef std::function<int(const std::string& path, uint32_t& form, std::string& encoding,
                          std::vector<NamedEntry>& entries)>
    IndexBuilder;

// The names one index holds at most: real history files name some hundred thousand sets, and
// a damaged file must not fill the memory with more.
const size_t IndexedNameLimit = 1000000;
// Adds the entry while entries hold fewer than IndexedNameLimit; 0, and nothing added, after.
int addNamedEntry(std::vector<NamedEntry>& entries, std::string_view list, std::string&& name,
                  IndexedEntry place);
// Sorts the entries into index (a later entry for a key replaces an earlier one; a name or
// list longer than 256 bytes is left out).
void fillFileIndex(FileIndex& index, std::vector<NamedEntry>& entries);
// The place of the entry of that list and name; 0 when the index has none.
int findIndexedEntry(const FileIndex& index, std::string_view list, std::string_view name,
                     IndexedEntry& place);

// The index file of the file at path.
std::string indexPath(const std::string& path);
// Makes index describe the file at path as it is now: kept when it already does, else read
// from the index file beside it when that was made from the file as it is, else built with
// build and saved beside the file (kept in memory only when the folder cannot be written, which
// is told once). kind names the file for the messages ("History file"). 0, with an empty index,
// when the file cannot be read; that is one line on standard error. An empty path (no file
// named) empties the index and answers 1.
int openFileIndex(FileIndex& index, const std::string& path, const char* kind,
                  const IndexBuilder& build);
// Empties the index, as when no file is named.
void closeFileIndex(FileIndex& index);
// Reads the entry's bytes, at most limit of them, from the indexed file. 0 when it cannot be
// read (told on standard error).
int readIndexedBytes(const FileIndex& index, IndexedEntry place, size_t limit, std::string& bytes);

// The bytes of one entry read when its page is opened; a longer entry is shown cut, with a
// line saying so.
const size_t EntryByteLimit = 1 << 20;
// What a reader makes of an entry's bytes: its lines.
typedef std::vector<std::string> (*EntryReader)(uint32_t form, const std::string& encoding,
                                                std::string_view bytes);
// The lines of the entry of that list and name, read from at most EntryByteLimit of its bytes, each
// cut to InfoLineLengthLimit, with a last line saying so when the entry was longer. Empty when the
// index has no entry of that name or it cannot be read.
std::vector<std::string> readEntryLines(const FileIndex& index, std::string_view list,
                                        std::string_view name, EntryReader lines);

// The index file format on its own, for the fuzzer and the tests. Reading answers 0 and says
// why, with index untouched.
int writeIndexFile(FILE* file, const FileIndex& index);
int readIndexFile(const std::string& bytes, FileIndex& index, std::string& why);
// Calls each with every line of the open file (without its LF or CR LF, the first without a
// byte-order mark) and the offset of its first byte, reading in blocks: a file of any size takes a
// block's memory and its longest line's. A line is given up to EntryByteLimit bytes, as no page
// could show more; the rest of a longer one is read past unkept. each answering 0 stops the
// reading. 0 on a read error.
int forEachFileLine(FILE* file, const std::function<int(std::string_view, uint64_t)>& each);
