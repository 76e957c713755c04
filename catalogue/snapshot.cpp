// The snapshot file: a 20-byte prefix (the magic text, the layout version, a check sum of
// everything after the prefix), then the source the games came from, the distinct blocks of
// game information, and the games. Numbers are LEB128 (signed ones zigzag), texts a length
// and their bytes. Every read is checked against what is left of the file, so no count or
// length in a damaged file makes the reader go past its end, or make more items than its
// bytes could hold.
#include "catalogue/snapshot.h"

#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

static const char Magic[8] = {'T', 'O', 'R', 'V', 'S', 'N', 'A', 'P'};
// Raised whenever what a snapshot holds, or what the list reader puts into a game, changes.
static const uint32_t LayoutVersion = 4;
static const size_t FlushSize = 64 * 1024;
static const size_t ReadBlockSize = 1 << 20;
// The fewest bytes a game takes: the count of games is checked against it.
static const uint64_t MinGameBytes = 8;

// ---- Writing

struct SnapshotWriter
{
    FILE* File;
    std::string Buffer;
    Checksum Sum;
    int Failed;
};

static void flushWriter(SnapshotWriter& writer)
{
    addChecksum(writer.Sum, writer.Buffer.data(), writer.Buffer.size());
    if (!writer.Buffer.empty() && std::fwrite(writer.Buffer.data(), 1, writer.Buffer.size(),
                                              writer.File) != writer.Buffer.size())
        writer.Failed = 1;
    writer.Buffer.clear();
}

static void putBytes(SnapshotWriter& writer, const char* data, size_t size)
{
    writer.Buffer.append(data, size);
    if (writer.Buffer.size() >= FlushSize) flushWriter(writer);
}

static void putNumber(SnapshotWriter& writer, uint64_t value)
{
    char bytes[10];
    int count = 0;
    do {
        bytes[count] = (char)(value & 0x7F);
        value >>= 7;
        if (value) bytes[count] = (char)(bytes[count] | 0x80);
        count++;
    } while (value);
    putBytes(writer, bytes, (size_t)count);
}

static void putSigned(SnapshotWriter& writer, int64_t value)
{
    putNumber(writer, ((uint64_t)value << 1) ^ (uint64_t)(value >> 63));
}

static void putFixed(SnapshotWriter& writer, uint64_t value, int count)
{
    char bytes[8];
    for (int i = 0; i < count; i++) bytes[i] = (char)(value >> (8 * i));
    putBytes(writer, bytes, (size_t)count);
}

static void putText(SnapshotWriter& writer, const std::string& text)
{
    putNumber(writer, text.size());
    putBytes(writer, text.data(), text.size());
}

static void putSource(SnapshotWriter& writer, const SnapshotSource& source)
{
    putText(writer, source.List.Build);
    putSigned(writer, source.List.Size);
    putSigned(writer, source.List.Stamp);
    putNumber(writer, source.List.Inode);
    putFixed(writer, source.List.EndsHash, 8);
    putText(writer, source.InfoPath);
    putSigned(writer, source.InfoSize);
    putSigned(writer, source.InfoStamp);
}

// The distinct texts of game information, each stored once: one entry of the information
// file usually names a parent and all its clones. Each block's number of users lets the
// reader hand its last user the block itself instead of one more copy.
struct InfoBlocks
{
    std::vector<const std::vector<std::string>*> Blocks;
    std::vector<uint64_t> Uses;
    std::vector<uint64_t> OfGame; // block number + 1; 0 for none
};

static uint64_t hashLines(const std::vector<std::string>& lines)
{
    Checksum sum = newChecksum();
    for (const std::string& line : lines)
    {
        addChecksum(sum, line.data(), line.size());
        addChecksum(sum, "\n", 1);
    }
    return finishChecksum(sum);
}

static InfoBlocks collectInfoBlocks(std::span<const std::unique_ptr<Game>> games)
{
    InfoBlocks blocks;
    std::unordered_multimap<uint64_t, uint64_t> byHash;
    for (const auto& game : games)
    {
        uint64_t number = 0;
        if (!game->InfoLines.empty())
        {
            uint64_t hash = hashLines(game->InfoLines);
            auto [first, last] = byHash.equal_range(hash);
            for (auto it = first; it != last && !number; ++it)
                if (*blocks.Blocks[it->second - 1] == game->InfoLines) number = it->second;
            if (!number)
            {
                blocks.Blocks.push_back(&game->InfoLines);
                blocks.Uses.push_back(0);
                number = blocks.Blocks.size();
                byHash.emplace(hash, number);
            }
            blocks.Uses[number - 1]++;
        }
        blocks.OfGame.push_back(number);
    }
    return blocks;
}

static void putGame(SnapshotWriter& writer, const Game& game, uint64_t infoBlock)
{
    putText(writer, game.Name);
    putText(writer, game.Description);
    putSigned(writer, game.Year);
    putText(writer, game.Manufacturer);
    putText(writer, game.CloneOf);
    putText(writer, game.RomOf);
    // The year's text is mostly the number itself; kept only where it says more ("198?"), as
    // what follows the number or, rarely, whole.
    std::string number = game.Year ? std::to_string(game.Year) : "";
    bool afterNumber = game.YearText.rfind(number, 0) == 0;
    bool yearSaysMore = game.YearText != number;
    putNumber(writer, (game.NotRunnable ? 1 : 0) | (game.Video ? 2 : 0) | (game.Input ? 4 : 0) |
                          (yearSaysMore ? 8 : 0) | (yearSaysMore && !afterNumber ? 16 : 0));
    if (yearSaysMore)
        putText(writer, afterNumber ? game.YearText.substr(number.size()) : game.YearText);
    if (game.Video)
    {
        putText(writer, game.Video->Screen);
        putNumber(writer, game.Video->Orientation);
        putNumber(writer, game.Video->Width);
        putNumber(writer, game.Video->Height);
    }
    if (game.Input)
    {
        putSigned(writer, game.Input->Players);
        putSigned(writer, game.Input->Buttons);
        putSigned(writer, game.Input->Coins);
        putNumber(writer, game.Input->Control);
        putNumber(writer, game.Input->ControlTypes);
    }
    putNumber(writer, infoBlock);
}

static void putGames(SnapshotWriter& writer, std::span<const std::unique_ptr<Game>> games)
{
    InfoBlocks blocks = collectInfoBlocks(games);
    putNumber(writer, blocks.Blocks.size());
    for (size_t i = 0; i < blocks.Blocks.size(); i++)
    {
        putNumber(writer, blocks.Uses[i]);
        putNumber(writer, blocks.Blocks[i]->size());
        for (const std::string& line : *blocks.Blocks[i]) putText(writer, line);
    }
    putNumber(writer, games.size());
    for (size_t i = 0; i < games.size(); i++) putGame(writer, *games[i], blocks.OfGame[i]);
}

int writeSnapshotFile(FILE* file, const SnapshotSource& source,
                      std::span<const std::unique_ptr<Game>> games)
{
    SnapshotWriter writer{file, std::string(), newChecksum(), 0};
    writer.Buffer.reserve(FlushSize + 1024);
    long start = std::ftell(file);
    unsigned char prefix[SealedCheckedFrom] = {};
    std::memcpy(prefix, Magic, sizeof Magic);
    for (int i = 0; i < 4; i++) prefix[8 + i] = (unsigned char)(LayoutVersion >> (8 * i));
    if (start < 0 || std::fwrite(prefix, 1, sizeof prefix, file) != sizeof prefix) return 0;
    putSource(writer, source);
    putGames(writer, games);
    flushWriter(writer);
    uint64_t sum = finishChecksum(writer.Sum);
    for (int i = 0; i < 8; i++) prefix[SealedChecksumOffset + i] = (unsigned char)(sum >> (8 * i));
    // The check sum is known last; it goes into the place left for it.
    if (writer.Failed || std::fseek(file, start + (long)SealedChecksumOffset, SEEK_SET) != 0 ||
        std::fwrite(prefix + SealedChecksumOffset, 1, 8, file) != 8)
        return 0;
    return std::fseek(file, 0, SEEK_END) == 0;
}

// ---- Reading

struct SnapshotReader
{
    FILE* File;
    std::vector<char> Buffer;
    size_t Position, Length; // the unread bytes are Buffer[Position, Length)
    uint64_t FileLeft;       // bytes of the file not in the buffer yet
    Checksum Sum;            // of every byte read into the buffer
    const char* Fault;       // the first fault; every read after it answers nothing
};

static uint64_t bytesLeft(const SnapshotReader& reader)
{
    return reader.Length - reader.Position + reader.FileLeft;
}

static int fail(SnapshotReader& reader, const char* fault)
{
    if (!reader.Fault) reader.Fault = fault;
    return 0;
}

// Makes size bytes readable at Position; 0 when the file ends before.
static int need(SnapshotReader& reader, uint64_t size)
{
    if (reader.Fault) return 0;
    if (reader.Length - reader.Position >= size) return 1;
    if (size > bytesLeft(reader)) return fail(reader, "it is cut short");
    size_t held = reader.Length - reader.Position;
    std::memmove(reader.Buffer.data(), reader.Buffer.data() + reader.Position, held);
    reader.Position = 0;
    reader.Length = held;
    if (reader.Buffer.size() < size) reader.Buffer.resize((size_t)size);
    size_t want = (size_t)std::min<uint64_t>(reader.Buffer.size() - held, reader.FileLeft);
    size_t got = std::fread(reader.Buffer.data() + held, 1, want, reader.File);
    addChecksum(reader.Sum, reader.Buffer.data() + held, got);
    reader.Length += got;
    reader.FileLeft -= got;
    if (got < want) return fail(reader, "it could not be read to its end");
    return 1;
}

static uint64_t getNumber(SnapshotReader& reader)
{
    uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7)
    {
        if ((reader.Position == reader.Length || reader.Fault) && !need(reader, 1)) return 0;
        unsigned char byte = (unsigned char)reader.Buffer[reader.Position++];
        // Only the shortest form is accepted, so a number has one way of being written.
        if ((byte == 0 && shift > 0) || (shift == 63 && byte > 1))
            return fail(reader, "a number is malformed");
        value |= (uint64_t)(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return value;
    }
    return fail(reader, "a number is malformed");
}

static uint64_t getBounded(SnapshotReader& reader, uint64_t most)
{
    uint64_t value = getNumber(reader);
    return value <= most ? value : fail(reader, "a value is out of range");
}

static int64_t getSigned(SnapshotReader& reader, int64_t least, int64_t most)
{
    uint64_t coded = getNumber(reader);
    int64_t value = (int64_t)(coded >> 1) ^ -(int64_t)(coded & 1);
    return value >= least && value <= most ? value : fail(reader, "a value is out of range");
}

static uint64_t getFixed(SnapshotReader& reader, int count)
{
    if (!need(reader, (uint64_t)count)) return 0;
    uint64_t value =
        littleEndian((const unsigned char*)reader.Buffer.data() + reader.Position, count);
    reader.Position += (size_t)count;
    return value;
}

static void getText(SnapshotReader& reader, std::string& text)
{
    uint64_t length = getNumber(reader);
    if (!need(reader, length)) return;
    text.assign(reader.Buffer.data() + reader.Position, (size_t)length);
    reader.Position += (size_t)length;
}

// A count of items that take at least itemBytes each: more than the rest of the file holds
// means the file lacks their bytes.
static uint64_t getCount(SnapshotReader& reader, uint64_t itemBytes)
{
    uint64_t count = getNumber(reader);
    return count <= bytesLeft(reader) / itemBytes ? count : fail(reader, "it is cut short");
}

static void getSource(SnapshotReader& reader, SnapshotSource& source)
{
    getText(reader, source.List.Build);
    source.List.Size = getSigned(reader, INT64_MIN, INT64_MAX);
    source.List.Stamp = getSigned(reader, INT64_MIN, INT64_MAX);
    source.List.Inode = getNumber(reader);
    source.List.EndsHash = getFixed(reader, 8);
    getText(reader, source.InfoPath);
    source.InfoSize = getSigned(reader, INT64_MIN, INT64_MAX);
    source.InfoStamp = getSigned(reader, INT64_MIN, INT64_MAX);
}

struct InfoBlock
{
    uint64_t UsesLeft;
    std::vector<std::string> Lines;
};

static void getInfoBlocks(SnapshotReader& reader, std::vector<InfoBlock>& blocks)
{
    blocks.resize(getCount(reader, 1));
    for (InfoBlock& block : blocks)
    {
        block.UsesLeft = getCount(reader, MinGameBytes);
        if (block.UsesLeft == 0) fail(reader, "a value is out of range");
        block.Lines.resize(getCount(reader, 1));
        for (std::string& line : block.Lines) getText(reader, line);
        if (reader.Fault) return;
    }
}

// A copy of the block for each user but the last, which takes the block itself.
static void useInfoBlock(SnapshotReader& reader, InfoBlock& block, std::vector<std::string>& lines)
{
    if (block.UsesLeft == 0)
        fail(reader, "a value is out of range");
    else if (--block.UsesLeft == 0)
        lines = std::move(block.Lines);
    else
        lines = block.Lines;
}

static std::unique_ptr<VideoInfo> getVideo(SnapshotReader& reader)
{
    auto video = std::make_unique<VideoInfo>();
    getText(reader, video->Screen);
    video->Orientation = (ScreenOrientation)getBounded(reader, OrientationHorizontal);
    video->Width = (uint16_t)getBounded(reader, UINT16_MAX);
    video->Height = (uint16_t)getBounded(reader, UINT16_MAX);
    return video;
}

static InputInfo getInput(SnapshotReader& reader)
{
    InputInfo input{};
    input.Players = (int16_t)getSigned(reader, INT16_MIN, INT16_MAX);
    input.Buttons = (int16_t)getSigned(reader, INT16_MIN, INT16_MAX);
    input.Coins = (int16_t)getSigned(reader, INT16_MIN, INT16_MAX);
    input.Control = (uint16_t)getBounded(reader, UINT16_MAX);
    input.ControlTypes = (uint32_t)getBounded(reader, OtherControlType * 2 - 1);
    return input;
}

static std::unique_ptr<Game> getGame(SnapshotReader& reader, int emulatorIndex,
                                     std::vector<InfoBlock>& blocks)
{
    std::unique_ptr<Game> game = newGame(emulatorIndex);
    getText(reader, game->Name);
    getText(reader, game->Description);
    game->Year = (int32_t)getSigned(reader, INT32_MIN, INT32_MAX);
    getText(reader, game->Manufacturer);
    getText(reader, game->CloneOf);
    getText(reader, game->RomOf);
    uint64_t parts = getBounded(reader, 31);
    game->NotRunnable = parts & 1;
    game->YearText = game->Year && !(parts & 16) ? std::to_string(game->Year) : "";
    if (parts & 8)
    {
        std::string more;
        getText(reader, more);
        game->YearText += more;
    }
    if (parts & 2) game->Video = getVideo(reader);
    if (parts & 4) game->Input = getInput(reader);
    uint64_t block = getBounded(reader, blocks.size());
    if (block && !reader.Fault) useInfoBlock(reader, blocks[block - 1], game->InfoLines);
    return reader.Fault ? nullptr : std::move(game);
}

static void getGames(SnapshotReader& reader, int emulatorIndex,
                     std::vector<std::unique_ptr<Game>>& games)
{
    std::vector<InfoBlock> blocks;
    getInfoBlocks(reader, blocks);
    uint64_t count = getCount(reader, MinGameBytes);
    games.reserve((size_t)count);
    for (uint64_t i = 0; i < count && !reader.Fault; i++)
        if (std::unique_ptr<Game> game = getGame(reader, emulatorIndex, blocks))
            games.push_back(std::move(game));
}

// The prefix, read before the checked part; also finds the file's length.
static int startReader(SnapshotReader& reader, FILE* file, uint64_t* storedSum, std::string& why)
{
    unsigned char prefix[SealedCheckedFrom];
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0)
        why = "it cannot be read";
    else if (std::fread(prefix, 1, sizeof prefix, file) != sizeof prefix)
        why = "it is cut short";
    else if (std::memcmp(prefix, Magic, sizeof Magic) != 0)
        why = "it is not a snapshot";
    else if (littleEndian(prefix + 8, 4) != LayoutVersion)
        why = "it was written in another layout";
    if (!why.empty()) return 0;
    *storedSum = littleEndian(prefix + SealedChecksumOffset, 8);
    uint64_t checked = (uint64_t)size - SealedCheckedFrom;
    size_t bufferSize = (size_t)std::min<uint64_t>(ReadBlockSize, std::max<uint64_t>(checked, 1));
    reader =
        SnapshotReader{file, std::vector<char>(bufferSize), 0, 0, checked, newChecksum(), nullptr};
    return 1;
}

static const char* sourceMismatch(const SnapshotSource& found, const SnapshotSource& expected)
{
    if (found.List.Build != expected.List.Build)
        return "it was made by another build of the program";
    if (found == expected) return nullptr;
    return "the list or the game information changed since it was made";
}

int readSnapshotFile(FILE* file, const SnapshotSource* expected, int emulatorIndex,
                     SnapshotContents& contents, std::string& why)
{
    contents.Games.clear();
    contents.Source = SnapshotSource{};
    why.clear();
    SnapshotReader reader{};
    uint64_t storedSum = 0;
    if (!startReader(reader, file, &storedSum, why)) return 0;
    getSource(reader, contents.Source);
    const char* mismatch =
        reader.Fault || !expected ? nullptr : sourceMismatch(contents.Source, *expected);
    if (mismatch)
    {
        why = mismatch;
        return 0;
    }
    getGames(reader, emulatorIndex, contents.Games);
    if (!reader.Fault && bytesLeft(reader) != 0) fail(reader, "it goes on after its end");
    // Checked last, in the one pass over the file: every read above stayed within the file
    // whatever its bytes, and what a damaged file gave is dropped here.
    if (!reader.Fault && finishChecksum(reader.Sum) != storedSum)
        fail(reader, "its check sum is wrong");
    if (!reader.Fault) return 1;
    why = reader.Fault;
    contents.Games.clear();
    return 0;
}

// ---- Describing the source

int operator==(const SnapshotSource& a, const SnapshotSource& b)
{
    return a.List == b.List && a.InfoPath == b.InfoPath && a.InfoSize == b.InfoSize &&
           a.InfoStamp == b.InfoStamp;
}

std::string snapshotPath(const std::string& listPath)
{
    return listPath + ".cache";
}

int describeSnapshotSource(const std::string& listPath, SnapshotSource& source)
{
    source = SnapshotSource{};
    if (!stampSource(listPath, source.List)) return 0;
    if (!FrontendSettings.UseMameInfoDat) return 1;
    FileIdentity info;
    if (!platformFileIdentity(FrontendSettings.MameinfoDat, &info)) return 0;
    source.InfoPath = FrontendSettings.MameinfoDat;
    source.InfoSize = info.Size;
    source.InfoStamp = info.Stamp;
    return 1;
}

// ---- The snapshot beside the list

// Opens the snapshot, or says why it cannot be read.
static FILE* openSnapshot(const std::string& path, std::string& why)
{
    if (platformIsDirectory(path))
    {
        why = "it is not a file";
        return nullptr;
    }
    FILE* file = platformOpenData(path, MameListFileLimit);
    if (!file) why = platformWhyFailed("it cannot be opened");
    return file;
}

int loadSnapshot(const std::string& listPath, const SnapshotSource& source, int emulatorIndex)
{
    std::string path = snapshotPath(listPath);
    if (!platformFileExists(path)) return 0;
    std::string why;
    SnapshotContents contents;
    FILE* file = openSnapshot(path, why);
    int read = file && readSnapshotFile(file, &source, emulatorIndex, contents, why);
    if (file) std::fclose(file);
    if (!read)
    {
        std::fprintf(stderr, "%s: %s; it is not used and the list is read instead\n", path.c_str(),
                     why.c_str());
        return 0;
    }
    AllGames.reserve(AllGames.size() + contents.Games.size());
    for (std::unique_ptr<Game>& game : contents.Games) appendGame(std::move(game));
    return 1;
}

static std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

int saveSnapshot(const std::string& listPath, const SnapshotSource& source, size_t firstGame)
{
    static std::vector<std::string> toldFolders; // told once each, for the life of the program
    std::string path = snapshotPath(listPath);
    auto games = std::span(AllGames).subspan(std::min(firstGame, AllGames.size()));
    platformClearFailure();
    int saved = platformReplaceDerivedFile(path, [&](FILE* file)
                                           { return writeSnapshotFile(file, source, games); });
    if (saved) return 1;
    std::string folder = folderOf(path);
    if (std::find(toldFolders.begin(), toldFolders.end(), folder) != toldFolders.end()) return 0;
    toldFolders.push_back(folder);
    std::fprintf(stderr,
                 "%s: the snapshot of the list cannot be written (%s); the list is read at "
                 "every start\n",
                 path.c_str(), platformWhyFailed("write error").c_str());
    return 0;
}
