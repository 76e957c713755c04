// Game lists are XML written by other programs, so they are read as strangers' files: no
// DOCTYPE (nothing declared is ever expanded), what comes before a fault is used, and bytes
// that are not UTF-8 are taken as Windows-1252 rather than ending the list there.
#include "catalogue/gamelist.h"

#include "catalogue/catalogue.h"
#include "catalogue/categories.h"
#include "catalogue/fileindex.h"
#include "catalogue/history.h"
#include "catalogue/sectionlines.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <expat.h>
#include <unordered_map>

// A description is a few paragraphs; a longer one is a fault of the list and is cut.
static const size_t DescriptionLengthLimit = 64 * 1024;
static const size_t PathLengthLimit = 4096;

// ---- Fields

// The largest number in "1-4", "2+"; 0 when there is none.
static int largestNumber(std::string_view text)
{
    int largest = 0, number = -1;
    for (size_t i = 0; i <= text.size(); i++)
    {
        if (i < text.size() && text[i] >= '0' && text[i] <= '9')
        {
            number = std::min((number < 0 ? 0 : number) * 10 + (text[i] - '0'), 1000);
            continue;
        }
        largest = std::max(largest, number);
        number = -1;
    }
    return largest > 255 ? 0 : largest; // more is no count of players
}

static int digitsAt(std::string_view text, size_t at, size_t count, int& value)
{
    if (text.size() < at + count) return 0;
    value = 0;
    for (size_t i = at; i < at + count; i++)
    {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
    }
    return 1;
}

// A list's date's year ("19950000T000000" still names 1995); 0 when it names none.
static int yearOfDate(std::string_view text)
{
    int year;
    return digitsAt(text, 0, 4, year) && year >= 1000 ? year : 0;
}

// The seconds since 1970 (UTC) of a list's date ("20240311T153000"); 0 when it is not one.
static int64_t secondsOfListDate(std::string_view text)
{
    int year = yearOfDate(text), month, day, hour = 0, minute = 0, second = 0;
    if (!year || !digitsAt(text, 4, 2, month) || !digitsAt(text, 6, 2, day)) return 0;
    if (text.size() > 8 && (text[8] != 'T' || !digitsAt(text, 9, 2, hour) ||
                            !digitsAt(text, 11, 2, minute) || !digitsAt(text, 13, 2, second)))
        return 0;
    using namespace std::chrono;
    year_month_day date{std::chrono::year(year), std::chrono::month((unsigned)month),
                        std::chrono::day((unsigned)day)};
    if (!date.ok() || year < 1970 || hour > 23 || minute > 59 || second > 59) return 0;
    return (int64_t)(sys_days(date).time_since_epoch() / std::chrono::seconds(1)) + hour * 3600 +
           minute * 60 + second;
}

static int isTrue(std::string_view text)
{
    return comparableName(text) == "true" || trimmedText(text) == "1";
}

static int ratingOf(std::string_view text)
{
    std::string copy(trimmedText(text));
    char* end = nullptr;
    double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || *end || !(value >= 0 && value <= 1)) return -1;
    return (int)(value * 100 + 0.5);
}

static int64_t countOf(std::string_view text)
{
    text = trimmedText(text);
    int64_t value = 0;
    if (text.empty() || text.size() > 12) return 0;
    for (char c : text)
    {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

static std::string fileNameOf(std::string_view path)
{
    size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// "./images/x.png" and "images/x.png" lie in the list's folder, "~/x.png" in the home folder.
static std::string wholePath(std::string_view path, const std::string& folder)
{
    path = trimmedText(path);
    if (path.empty()) return "";
    if (path[0] == '/') return std::string(path);
    if (path.substr(0, 2) == "~/")
    {
        const char* home = std::getenv("HOME");
        return home ? std::string(home) + std::string(path.substr(1)) : "";
    }
    if (path.substr(0, 2) == "./") path.remove_prefix(2);
    return folder.empty() ? std::string(path) : folder + "/" + std::string(path);
}

// ---- Reading

enum GameListField
{
    FieldNone,
    FieldPath,
    FieldName,
    FieldDesc,
    FieldImage,
    FieldThumbnail,
    FieldMarquee,
    FieldVideo,
    FieldRating,
    FieldReleaseDate,
    FieldDeveloper,
    FieldPublisher,
    FieldGenre,
    FieldPlayers,
    FieldPlayCount,
    FieldLastPlayed,
    FieldFavorite,
    FieldHidden,
};

struct GameListElement
{
    const char* Element;
    GameListField Field;
};
static const GameListElement GameListElements[] = {
    {"path", FieldPath},           {"name", FieldName},           {"desc", FieldDesc},
    {"image", FieldImage},         {"thumbnail", FieldThumbnail}, {"marquee", FieldMarquee},
    {"video", FieldVideo},         {"rating", FieldRating},       {"releasedate", FieldReleaseDate},
    {"developer", FieldDeveloper}, {"publisher", FieldPublisher}, {"genre", FieldGenre},
    {"players", FieldPlayers},     {"playcount", FieldPlayCount}, {"lastplayed", FieldLastPlayed},
    {"favorite", FieldFavorite},   {"hidden", FieldHidden},
};

struct GameListParse
{
    XML_Parser Parser;
    GameListRead* Read;
    int Depth;     // of the element open now; the list's root is 1
    int GameDepth; // of the <game> open now; 0 outside one
    GameListField Field;
    std::string Text; // of the field open now
    std::vector<std::string> Fields;
    std::unordered_map<std::string, int> Seen;
};

static void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char**)
{
    GameListParse& parse = *(GameListParse*)data;
    parse.Depth++;
    if (!parse.GameDepth && parse.Depth == 2 && std::strcmp(name, "game") == 0)
    {
        parse.GameDepth = parse.Depth;
        parse.Fields.assign(FieldHidden + 1, std::string());
        return;
    }
    parse.Field = FieldNone;
    parse.Text.clear();
    if (parse.GameDepth && parse.Depth == parse.GameDepth + 1)
        for (const GameListElement& field : GameListElements)
            if (std::strcmp(name, field.Element) == 0) parse.Field = field.Field;
}

static size_t limitOf(GameListField field)
{
    switch (field)
    {
    case FieldDesc:
        return DescriptionLengthLimit;
    case FieldGenre:
        return CategoryLengthLimit;
    case FieldPath:
    case FieldImage:
    case FieldThumbnail:
    case FieldMarquee:
    case FieldVideo:
        return PathLengthLimit;
    default:
        return GameTextLengthLimit;
    }
}

static void XMLCALL characters(void* data, const XML_Char* text, int length)
{
    GameListParse& parse = *(GameListParse*)data;
    if (parse.Field == FieldNone) return;
    size_t room = limitOf(parse.Field) + 4 - std::min(parse.Text.size(), limitOf(parse.Field) + 4);
    parse.Text.append(text, std::min((size_t)length, room)); // a little over: seen as cut
}

static std::string fieldText(GameListParse& parse, GameListField field)
{
    std::string_view text = cutToLength(parse.Text, limitOf(field), &parse.Read->TextsCut);
    std::string kept(field == FieldDesc ? text : trimmedText(text));
    if (field != FieldDesc) keepOnOneLine(kept);
    return kept;
}

static GameListEntry entryOf(const std::vector<std::string>& f)
{
    GameListEntry entry{};
    entry.File = fileNameOf(f[FieldPath]);
    entry.Name = f[FieldName];
    entry.Description = f[FieldDesc];
    entry.Image = f[FieldImage];
    entry.Thumbnail = f[FieldThumbnail];
    entry.Marquee = f[FieldMarquee];
    entry.Video = f[FieldVideo];
    entry.Developer = f[FieldDeveloper];
    entry.Publisher = f[FieldPublisher];
    entry.Genre = f[FieldGenre];
    entry.Year = yearOfDate(f[FieldReleaseDate]);
    entry.Players = largestNumber(f[FieldPlayers]);
    entry.Rating = f[FieldRating].empty() ? -1 : ratingOf(f[FieldRating]);
    entry.Hidden = isTrue(f[FieldHidden]);
    entry.Favourite = isTrue(f[FieldFavorite]);
    entry.PlayCount = countOf(f[FieldPlayCount]);
    entry.LastPlayed = secondsOfListDate(trimmedText(f[FieldLastPlayed]));
    return entry;
}

static void endGame(GameListParse& parse)
{
    GameListRead& read = *parse.Read;
    GameListEntry entry = entryOf(parse.Fields);
    if (entry.File.empty())
    {
        read.WithoutPath++;
        return;
    }
    if (!parse.Seen.try_emplace(entry.File, 1).second)
    {
        if (!read.Duplicates++) read.FirstDuplicate = entry.File;
        return;
    }
    read.Entries.push_back(std::move(entry));
}

static void XMLCALL endElement(void* data, const XML_Char*)
{
    GameListParse& parse = *(GameListParse*)data;
    if (parse.Depth == parse.GameDepth)
    {
        endGame(parse);
        parse.GameDepth = 0;
    }
    else if (parse.Field != FieldNone && parse.Depth == parse.GameDepth + 1)
        parse.Fields[parse.Field] = fieldText(parse, parse.Field);
    parse.Field = FieldNone;
    parse.Depth--;
}

static void XMLCALL refuseDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                  int)
{
    GameListParse& parse = *(GameListParse*)data;
    parse.Read->Refused = 1;
    XML_StopParser(parse.Parser, XML_FALSE);
}

// The text as UTF-8; a sequence cut by the end of a block is left in carry for the next.
static void mendUtf8(std::string_view text, std::string& out, std::string& carry, int last)
{
    size_t keep = text.size() - (last ? 0 : unfinishedUtf8Tail(text));
    out += repairedUtf8(text.substr(0, keep));
    carry.assign(text.substr(keep));
}

struct GameListReader
{
    GameListParse Parse;
    std::string Carry;
    GameListRead Read;
};

static void startReading(GameListReader& reader)
{
    reader.Read = GameListRead{};
    reader.Parse = GameListParse{};
    reader.Parse.Parser = XML_ParserCreate("UTF-8");
    reader.Parse.Read = &reader.Read;
    XML_SetUserData(reader.Parse.Parser, &reader.Parse);
    XML_SetElementHandler(reader.Parse.Parser, startElement, endElement);
    XML_SetCharacterDataHandler(reader.Parse.Parser, characters);
    XML_SetStartDoctypeDeclHandler(reader.Parse.Parser, refuseDoctype);
}

// The block as it is when it is whole UTF-8, which is all but never otherwise.
static int parseBlock(GameListReader& reader, std::string_view block, int last)
{
    if (reader.Carry.empty() && validUtf8Prefix(block) == block.size())
        return XML_Parse(reader.Parse.Parser, block.data(), (int)block.size(), last) !=
               XML_STATUS_ERROR;
    std::string text, whole = reader.Carry + std::string(block);
    reader.Carry.clear();
    mendUtf8(whole, text, reader.Carry, last);
    return XML_Parse(reader.Parse.Parser, text.data(), (int)text.size(), last) != XML_STATUS_ERROR;
}

// 0 once the list can be read no further.
static int feedList(GameListReader& reader, std::string_view block, int last)
{
    if (parseBlock(reader, block, last)) return 1;
    GameListRead& read = reader.Read;
    if (read.Refused)
        read.Entries.clear();
    else
        read.Fault = "line " + std::to_string(XML_GetCurrentLineNumber(reader.Parse.Parser)) +
                     ": " + XML_ErrorString(XML_GetErrorCode(reader.Parse.Parser));
    return 0;
}

static GameListRead finishReading(GameListReader& reader)
{
    XML_ParserFree(reader.Parse.Parser);
    return std::move(reader.Read);
}

GameListRead parseGameList(std::string_view bytes)
{
    GameListReader reader;
    startReading(reader);
    feedList(reader, bytes, 1);
    return finishReading(reader);
}

static int readGameList(const std::string& path, GameListRead& read)
{
    FILE* file = platformOpenData(path);
    if (!file) return 0;
    GameListReader reader;
    startReading(reader);
    std::string block(1 << 16, '\0');
    int fine = 1;
    for (int last = 0; !last && fine;)
    {
        size_t got = std::fread(block.data(), 1, block.size(), file);
        last = got < block.size();
        fine = feedList(reader, std::string_view(block.data(), got), last);
    }
    int failed = std::ferror(file);
    std::fclose(file);
    read = finishReading(reader);
    return !failed;
}

// ---- The cache kept beside the list

static const char CacheMagic[8] = {'T', 'O', 'R', 'V', 'G', 'L', 'S', 'T'};
static const uint32_t CacheVersion = 1;

static std::string GameListEntry::*const EntryTexts[] = {
    &GameListEntry::File,  &GameListEntry::Name,      &GameListEntry::Description,
    &GameListEntry::Image, &GameListEntry::Thumbnail, &GameListEntry::Marquee,
    &GameListEntry::Video, &GameListEntry::Developer, &GameListEntry::Publisher,
    &GameListEntry::Genre};
static int GameListEntry::*const EntryNumbers[] = {&GameListEntry::Year, &GameListEntry::Players,
                                                   &GameListEntry::Rating, &GameListEntry::Hidden,
                                                   &GameListEntry::Favourite};
static int64_t GameListEntry::*const EntryCounts[] = {&GameListEntry::PlayCount,
                                                      &GameListEntry::LastPlayed};

std::string formatGameListCache(const SourceStamp& source, const GameListRead& read)
{
    std::string out = startSealedFile(CacheMagic, CacheVersion);
    appendText(out, source.Build);
    appendStamp(out, source);
    appendText(out, read.Fault);
    appendText(out, read.FirstDuplicate);
    for (int count : {read.Refused, read.WithoutPath, read.Duplicates, read.TextsCut})
        appendFixed(out, (uint32_t)count, 4);
    appendFixed(out, read.Entries.size(), 4);
    for (const GameListEntry& entry : read.Entries)
    {
        for (auto text : EntryTexts) appendText(out, entry.*text);
        for (auto number : EntryNumbers) appendFixed(out, (uint32_t)(entry.*number), 4);
        for (auto count : EntryCounts) appendFixed(out, (uint64_t)(entry.*count), 8);
    }
    sealFile(out);
    return out;
}

static const size_t LeastEntryBytes =
    4 * std::size(EntryTexts) + 4 * std::size(EntryNumbers) + 8 * std::size(EntryCounts);

int readGameListCache(const std::string& bytes, SourceStamp& source, GameListRead& read,
                      std::string& why)
{
    ByteReader reader;
    if (!openSealedFile(bytes, CacheMagic, CacheVersion, reader, why)) return 0;
    GameListRead got{};
    source.Build = readText(reader);
    readStamp(reader, source);
    got.Fault = readText(reader);
    got.FirstDuplicate = readText(reader);
    for (int* count : {&got.Refused, &got.WithoutPath, &got.Duplicates, &got.TextsCut})
        *count = (int)(int32_t)readFixed(reader, 4);
    uint64_t entries = readFixed(reader, 4);
    if (reader.Cut || entries > (bytes.size() - reader.Position) / LeastEntryBytes)
        return why = "it is cut short", 0;
    got.Entries.resize((size_t)entries);
    for (GameListEntry& entry : got.Entries)
    {
        for (auto text : EntryTexts) entry.*text = readText(reader);
        for (auto number : EntryNumbers) entry.*number = (int)(int32_t)readFixed(reader, 4);
        for (auto count : EntryCounts) entry.*count = (int64_t)readFixed(reader, 8);
    }
    if (reader.Cut) return why = "it is cut short", 0;
    if (reader.Position != bytes.size()) return why = "it has bytes after its end", 0;
    read = std::move(got);
    return 1;
}

std::string gameListCachePath(const std::string& listPath)
{
    return listPath + ".cache";
}

// Earlier builds kept the cache as <list>.index; one found there that is such a cache is
// removed (its successor is made from the list at once), anything else of that name is left.
static void forgetOldCache(const std::string& listPath)
{
    std::string old = listPath + ".index";
    FILE* file = platformOpenData(old);
    if (!file) return;
    char magic[sizeof CacheMagic];
    int ours = fread(magic, 1, sizeof magic, file) == sizeof magic &&
               std::memcmp(magic, CacheMagic, sizeof magic) == 0;
    fclose(file);
    if (ours) platformDeleteFile(old);
}

// The cache when it was made from the list as it is now, else the list read and the cache
// made again. 0 when the list cannot be read.
static int readGameListKept(const std::string& path, GameListRead& read)
{
    SourceStamp now, made;
    if (!stampSource(path, now)) return 0;
    forgetOldCache(path);
    std::string file = gameListCachePath(path), bytes, why;
    if (readKeptFile(file, bytes))
    {
        if (readGameListCache(bytes, made, read, why) && made == now) return 1;
        if (!why.empty()) fprintf(stderr, "%s: %s; it is built again\n", file.c_str(), why.c_str());
    }
    if (!readGameList(path, read)) return 0;
    writeKeptFile(file, formatGameListCache(now, read), "the game list's cache");
    return 1;
}

// ---- The games

// What a list says of the plays of one game, kept from reading until the history is loaded.
struct ListedPlays
{
    Game* Of;
    int Favourite;
    int64_t PlayCount, LastPlayed;
};
static std::vector<ListedPlays> PendingPlays;

static void tellListFaults(const std::string& path, const GameListRead& read)
{
    if (read.Refused)
        fprintf(stderr,
                "Game list [%s]: a DOCTYPE is not accepted (what it declares is never "
                "expanded); the list is not used\n",
                path.c_str());
    else if (!read.Fault.empty())
        fprintf(stderr, "Game list [%s]: %s; the entries before it (%zu) are used\n", path.c_str(),
                read.Fault.c_str(), read.Entries.size());
    if (read.WithoutPath)
        fprintf(stderr, "Game list [%s]: entries without a <path>, passed over: %d\n", path.c_str(),
                read.WithoutPath);
    if (read.Duplicates)
        fprintf(stderr,
                "Game list [%s]: entries naming a file named before: %d (the first: %s); the "
                "first entry of each file is used\n",
                path.c_str(), read.Duplicates, read.FirstDuplicate.c_str());
    if (read.TextsCut)
        fprintf(stderr, "Game list [%s]: texts too long to be meant, cut: %d\n", path.c_str(),
                read.TextsCut);
}

// A MAME set is listed as its zip: "./pacman.zip" is the set pacman.
static Game* gameOfEntry(const GameListEntry& entry, int emulatorIndex, int mame)
{
    if (!mame) return findGame(entry.File, emulatorIndex);
    size_t dot = entry.File.find_last_of('.');
    return findGame(dot == std::string::npos ? entry.File : entry.File.substr(0, dot),
                    emulatorIndex);
}

// The list's title replaces the file name; what the emulator's own list knows of a MAME game
// (year, maker, category) is kept, as the list's guess is no better.
static void takeEntry(Game& game, GameListEntry& entry, const Emulator& emulator,
                      const std::string& folder)
{
    if (emulator.GameListNames && !entry.Name.empty()) game.Description = std::move(entry.Name);
    if (entry.Year && !game.Year)
    {
        game.Year = entry.Year;
        game.YearText = std::to_string(entry.Year);
    }
    if (!entry.Developer.empty() && (game.Manufacturer.empty() || game.Manufacturer == "Unknown"))
        game.Manufacturer = std::move(entry.Developer);
    if (!entry.Genre.empty() && !game.Category) game.Category = categoryNumber(entry.Genre);
    game.Listed = std::make_unique<ListedGame>(
        ListedGame{std::move(entry.Description), wholePath(entry.Image, folder),
                   wholePath(entry.Thumbnail, folder), wholePath(entry.Marquee, folder),
                   wholePath(entry.Video, folder), std::move(entry.Publisher), entry.Rating,
                   entry.Players, entry.Hidden});
}

void applyGameList(int emulatorIndex)
{
    const Emulator* emulator = emulatorAt(emulatorIndex);
    if (!emulator || emulator->GameList.empty()) return;
    GameListRead read;
    platformClearFailure();
    if (!readGameListKept(emulator->GameList, read))
    {
        fprintf(stderr,
                "Game list [%s] cannot be read (%s); the games of %s are shown as "
                "their files name them\n",
                emulator->GameList.c_str(), platformWhyUnreadable(emulator->GameList).c_str(),
                emulator->Name.c_str());
        return;
    }
    tellListFaults(emulator->GameList, read);
    size_t slash = emulator->GameList.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : emulator->GameList.substr(0, slash);
    for (GameListEntry& entry : read.Entries)
    {
        Game* game = gameOfEntry(entry, emulatorIndex, emulator->Kind == EmulatorMame);
        if (!game || game->Listed) continue;
        PendingPlays.push_back({game, entry.Favourite, entry.PlayCount, entry.LastPlayed});
        takeEntry(*game, entry, *emulator, folder);
    }
}

int anyGameHidden()
{
    for (const auto& game : AllGames)
        if (game->Listed && game->Listed->Hidden) return 1;
    return 0;
}

void mergeGameListPlays()
{
    int carried = 0, changed = 0;
    for (const ListedPlays& plays : PendingPlays)
    {
        int merged =
            mergeListedPlays(*plays.Of, plays.Favourite, plays.PlayCount, plays.LastPlayed);
        carried += merged == 2;
        changed += merged > 0;
    }
    std::vector<ListedPlays>().swap(PendingPlays);
    if (carried)
        fprintf(stderr, "Plays and favourites taken from the game lists, games: %d\n", carried);
    if (changed) savePlayHistory();
}

void forgetGameLists()
{
    std::vector<ListedPlays>().swap(PendingPlays);
}
