// Files that check themselves, kept beside the file they were made from (the MAME list's
// snapshot, the history and command files' indexes, a game list's cache): the stamp of that
// source, a 20-byte prefix (8 bytes of magic text, a 4-byte layout version, an 8-byte check sum
// of all that follows), and a body of fixed-width little-endian numbers and texts preceded by
// their lengths. A damaged, foreign or stale one is never used: it is made again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// ---- The check sum, fed in pieces of any size

struct Checksum
{
    uint64_t State;
    uint64_t Word; // the bytes of an unfinished word
    unsigned Filled;
    uint64_t Length;
};
Checksum newChecksum();
void addChecksum(Checksum& sum, const char* data, size_t size);
uint64_t finishChecksum(Checksum sum);
uint64_t sealedChecksum(const char* data, size_t size);
uint64_t littleEndian(const unsigned char* bytes, int count);

// ---- The source's stamp

// Everything a file made from another depends on: that file as it was, and the program that
// read it.
struct SourceStamp
{
    std::string Build; // the program's build identity: a new reader reads the source again
    int64_t Size;
    int64_t Stamp;
    uint64_t Inode;
    uint64_t EndsHash; // of the first and last 64 KB
};
int operator==(const SourceStamp& a, const SourceStamp& b);
// The program's build identity, found once.
const std::string& buildIdentity();
// Stamps the file at path as it is now; 0 when it cannot be read or is a folder.
int stampSource(const std::string& path, SourceStamp& stamp);
// A hash of the first and last 64 KB of the file at path, which is size bytes long: a change
// inside a file that keeps its size and time (a copy with the times kept) still shows at its
// ends. 0 when it cannot be read.
int hashFileEnds(const std::string& path, int64_t size, uint64_t* hash);

// ---- Sealed files in memory

const size_t SealedChecksumOffset = 12;
const size_t SealedCheckedFrom = 20;

std::string startSealedFile(const char* magic, uint32_t version);
void appendFixed(std::string& out, uint64_t value, int count);
void appendText(std::string& out, std::string_view text);
void appendStamp(std::string& out, const SourceStamp& stamp); // all but the build
// Writes the check sum into a file started with startSealedFile.
void sealFile(std::string& bytes);
// Reads forward through a sealed file's body; every read past the end answers 0 (an empty
// text) and marks the reader cut.
struct ByteReader
{
    const std::string* Bytes;
    size_t Position;
    int Cut;
};
// 0, and why, when bytes are not such a file of that magic and version or are damaged; else
// reader stands at the body.
int openSealedFile(const std::string& bytes, const char* magic, uint32_t version,
                   ByteReader& reader, std::string& why);
uint64_t readFixed(ByteReader& reader, int count);
std::string readText(ByteReader& reader);
void readStamp(ByteReader& reader, SourceStamp& stamp);

// ---- Kept beside their source

// The file kept beside another: its bytes, 0 when there is none or it cannot be read (told).
// Writing replaces it whole; when it cannot be written that is told once for the life of the
// program, what naming it in the message ("the index of the History file").
int readKeptFile(const std::string& file, std::string& bytes);
void writeKeptFile(const std::string& file, const std::string& bytes, const char* what);
