// Files that check themselves, and the stamp of the file each was made from.
#include "catalogue/sealedfile.h"

#include "catalogue/catalogue.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

static const size_t EndBytes = 64 * 1024; // of the source, hashed at each end

// ---- The check sum, fed in pieces of any size

Checksum newChecksum()
{
    return {0x243F6A8885A308D3ull, 0, 0, 0};
}

// Each step is a bijection of the state for a given word, so any one word changed anywhere
// always changes the result.
static void mixWord(uint64_t& state, uint64_t word)
{
    state = (state ^ word) * 0x9E3779B97F4A7C15ull;
    state ^= state >> 29;
}

uint64_t littleEndian(const unsigned char* bytes, int count)
{
    uint64_t value = 0;
    for (int i = 0; i < count; i++) value |= (uint64_t)bytes[i] << (8 * i);
    return value;
}

static void addByte(Checksum& sum, unsigned char byte)
{
    sum.Word |= (uint64_t)byte << (8 * sum.Filled);
    if (++sum.Filled < 8) return;
    mixWord(sum.State, sum.Word);
    sum.Word = 0;
    sum.Filled = 0;
}

void addChecksum(Checksum& sum, const char* data, size_t size)
{
    const unsigned char* bytes = (const unsigned char*)data;
    sum.Length += size;
    size_t i = 0;
    for (; i < size && sum.Filled; i++) addByte(sum, bytes[i]);
    for (; i + 8 <= size; i += 8) mixWord(sum.State, littleEndian(bytes + i, 8));
    for (; i < size; i++) addByte(sum, bytes[i]);
}

uint64_t finishChecksum(Checksum sum)
{
    if (sum.Filled) mixWord(sum.State, sum.Word);
    mixWord(sum.State, sum.Length);
    return sum.State;
}

uint64_t sealedChecksum(const char* data, size_t size)
{
    Checksum sum = newChecksum();
    addChecksum(sum, data, size);
    return finishChecksum(sum);
}

// ---- The source's stamp

int hashFileEnds(const std::string& path, int64_t size, uint64_t* hash)
{
    FILE* file = platformOpenData(path, MameListFileLimit);
    if (!file) return 0;
    std::vector<char> block(EndBytes);
    Checksum sum = newChecksum();
    size_t first = std::fread(block.data(), 1, block.size(), file);
    addChecksum(sum, block.data(), first);
    int64_t lastStart = std::max<int64_t>(0, size - (int64_t)EndBytes);
    int ok = std::fseek(file, (long)lastStart, SEEK_SET) == 0;
    size_t last = ok ? std::fread(block.data(), 1, block.size(), file) : 0;
    addChecksum(sum, block.data(), last);
    ok = ok && !std::ferror(file);
    std::fclose(file);
    *hash = finishChecksum(sum);
    return ok;
}

const std::string& buildIdentity()
{
    static const std::string identity = platformBuildIdentity();
    return identity;
}

int operator==(const SourceStamp& a, const SourceStamp& b)
{
    return a.Build == b.Build && a.Size == b.Size && a.Stamp == b.Stamp && a.Inode == b.Inode &&
           a.EndsHash == b.EndsHash;
}

int stampSource(const std::string& path, SourceStamp& source)
{
    FileIdentity identity;
    if (platformIsDirectory(path) || !platformFileIdentity(path, &identity)) return 0;
    source = {buildIdentity(), identity.Size, identity.Stamp, identity.Inode, 0};
    return hashFileEnds(path, identity.Size, &source.EndsHash);
}

// ---- Sealed files in memory

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

void appendStamp(std::string& out, const SourceStamp& source)
{
    appendFixed(out, (uint64_t)source.Size, 8);
    appendFixed(out, (uint64_t)source.Stamp, 8);
    appendFixed(out, source.Inode, 8);
    appendFixed(out, source.EndsHash, 8);
}

void readStamp(ByteReader& reader, SourceStamp& source)
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
    uint64_t sum =
        sealedChecksum(bytes.data() + SealedCheckedFrom, bytes.size() - SealedCheckedFrom);
    for (int i = 0; i < 8; i++) bytes[SealedChecksumOffset + i] = (char)(sum >> (8 * i));
}

int openSealedFile(const std::string& bytes, const char* magic, uint32_t version,
                   ByteReader& reader, std::string& why)
{
    reader = ByteReader{&bytes, 8, 0};
    if (bytes.size() < SealedCheckedFrom || std::memcmp(bytes.data(), magic, 8) != 0)
        return why = "it is not a file of this kind", 0;
    if (readFixed(reader, 4) != version) return why = "it was made by another version", 0;
    if (readFixed(reader, 8) !=
        sealedChecksum(bytes.data() + SealedCheckedFrom, bytes.size() - SealedCheckedFrom))
        return why = "its check sum does not match: it is damaged", 0;
    return 1;
}

// ---- Kept beside their source

int readKeptFile(const std::string& file, std::string& bytes)
{
    if (!platformFileExists(file)) return 0;
    if (platformReadFile(file, bytes)) return 1;
    std::fprintf(stderr, "%s: %s; it is built again\n", file.c_str(),
                 platformWhyUnreadable(file).c_str());
    return 0;
}

void writeKeptFile(const std::string& file, const std::string& bytes, const char* what)
{
    static std::vector<std::string> told; // each file once, for the life of the program
    platformClearFailure();
    if (platformReplaceDerivedFile(file, bytes)) return;
    if (std::find(told.begin(), told.end(), file) != told.end()) return;
    told.push_back(file);
    std::fprintf(stderr,
                 "%s: %s cannot be written (%s); it is kept in memory and built again at every "
                 "start\n",
                 file.c_str(), what, platformWhyFailed("write error").c_str());
}
