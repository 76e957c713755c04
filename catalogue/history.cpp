// The history file is text a person can read and mend: a header naming the format, then one
// line per game with tab-separated fields (emulator, game, favourite, plays, last played in
// UTC). Tabs, line breaks and backslashes inside names are written as \t, \n, \r and \\; any
// other byte, UTF-8 or not, is written as it is.
#include "catalogue/history.h"

#include "base/message.h"
#include "catalogue/catalogue.h"
#include "config/ini.h"
#include "config/settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "runtime/state.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <unordered_map>

std::vector<std::unique_ptr<PlayRecord>> PlayRecords;

static const char Header[] = "# Torvanell favourites and play history, format ";
static const int FormatVersion = 1;
static const size_t FileLimit = 64
                                << 20; // far beyond any cabinet's games; a bigger file is not ours
static const char Never[] = "never";

struct PlayHistoryFile
{
    std::string Path;
    // The file could not be read whole: before the first write it is copied to
    // "<path>.unreadable", and while that copy cannot be made it is not replaced at all.
    int KeepAside;
    int WriteFailureTold;
};
static PlayHistoryFile History;

std::string playHistoryPath(const std::string& configFile)
{
    size_t slash = configFile.find_last_of('/');
    size_t dot = configFile.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        return configFile.substr(0, dot) + "-history.txt";
    return configFile + "-history.txt";
}

// ---- Fields

static int readCount(std::string_view text, int64_t& value)
{
    if (text.empty() || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string_view::npos)
        return 0;
    value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return 1;
}

static std::string formatTime(int64_t seconds)
{
    if (seconds <= 0) return Never;
    using namespace std::chrono;
    sys_seconds time{std::chrono::seconds(seconds)};
    sys_days day = floor<days>(time);
    year_month_day date{day};
    hh_mm_ss clock{time - day};
    char text[64];
    snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", (int)date.year(),
             (unsigned)date.month(), (unsigned)date.day(), (int)clock.hours().count(),
             (int)clock.minutes().count(), (int)clock.seconds().count());
    return text;
}

static int readTime(std::string_view text, int64_t& seconds)
{
    if (text == Never)
    {
        seconds = 0;
        return 1;
    }
    int year, hour, minute, second, used = 0;
    unsigned month, day;
    std::string copy(text);
    if (sscanf(copy.c_str(), "%4d-%2u-%2u %2d:%2d:%2d%n", &year, &month, &day, &hour, &minute,
               &second, &used) != 6 ||
        used != (int)copy.size())
        return 0;
    using namespace std::chrono;
    year_month_day date{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
    if (!date.ok() || year < 1970 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return 0;
    seconds = (int64_t)(sys_days(date).time_since_epoch() / std::chrono::seconds(1)) + hour * 3600 +
              minute * 60 + second;
    return seconds > 0; // the first second of 1970 would read back as "never"
}

// ---- The file

static std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;)
    {
        size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return fields;
        line.remove_prefix(tab + 1);
    }
}

static const char ListMark[] = "list=";

// "list=12,yes": what a game list said when it was carried over.
static int readListMark(std::string_view field, PlayRecord& record)
{
    if (field.substr(0, sizeof ListMark - 1) != ListMark) return 0;
    field.remove_prefix(sizeof ListMark - 1);
    size_t comma = field.find(',');
    if (comma == std::string_view::npos || !readCount(field.substr(0, comma), record.ListPlays))
        return 0;
    std::string_view favourite = field.substr(comma + 1);
    if (favourite != "yes" && favourite != "no") return 0;
    record.ListFavourite = favourite == "yes";
    record.ListMerged = 1;
    return 1;
}

static std::string listMarkOf(const PlayRecord& record)
{
    if (!record.ListMerged) return "";
    return std::string("\t") + ListMark + std::to_string(record.ListPlays) + "," +
           (record.ListFavourite ? "yes" : "no");
}

static int readEntry(std::string_view line, PlayRecord& record)
{
    std::vector<std::string_view> fields = splitTabs(line);
    if (fields.size() < 5 || (fields[2] != "yes" && fields[2] != "no")) return 0;
    record.Favourite = fields[2] == "yes";
    if (!unescapeLineText(fields[0], record.Emulator) || record.Emulator.empty() ||
        !unescapeLineText(fields[1], record.Game) || record.Game.empty() ||
        !readCount(fields[3], record.Plays) || !readTime(fields[4], record.LastPlayed))
        return 0;
    record.Extra.clear();
    size_t next = 5;
    if (fields.size() > next && readListMark(fields[next], record)) next++;
    for (size_t i = next; i < fields.size(); i++) record.Extra += "\t" + std::string(fields[i]);
    return 1;
}

// A game written twice (a file mended by hand) keeps the most of each.
static void merge(PlayRecord& into, const PlayRecord& from)
{
    into.Favourite = into.Favourite || from.Favourite;
    into.Plays = std::max(into.Plays, from.Plays);
    into.LastPlayed = std::max(into.LastPlayed, from.LastPlayed);
    if (!from.ListMerged) return;
    into.ListMerged = 1;
    into.ListPlays = std::max(into.ListPlays, from.ListPlays);
    into.ListFavourite = into.ListFavourite || from.ListFavourite;
}

static int readVersion(std::string_view line)
{
    if (line.substr(0, sizeof Header - 1) != Header) return 0;
    int64_t version;
    return readCount(line.substr(sizeof Header - 1), version) && version > 0 && version < 1000000
               ? (int)version
               : 0;
}

PlayHistoryText parsePlayHistory(std::string_view text)
{
    PlayHistoryText result{};
    std::unordered_map<std::string, size_t> seen;
    bool first = true;
    while (!text.empty())
    {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first && !(result.Version = readVersion(line))) return result;
        first = false;
        if (line.empty() || line.front() == '#') continue;
        PlayRecord record{};
        if (!readEntry(line, record))
        {
            result.BadLines++;
            continue;
        }
        // Written out, a name holds no tab: the pair of them names one game only.
        auto [place, added] =
            seen.try_emplace(escapeLineText(record.Emulator) + '\t' + escapeLineText(record.Game),
                             result.Records.size());
        if (added)
            result.Records.push_back(std::move(record));
        else
            merge(result.Records[place->second], record);
    }
    return result;
}

std::string formatPlayHistory(const std::vector<std::unique_ptr<PlayRecord>>& records)
{
    std::string text = Header + std::to_string(FormatVersion) + "\n";
    text += "# One game a line: emulator, game, favourite (yes or no), plays, last played (UTC),\n"
            "# separated by tabs.\n";
    for (const auto& record : records)
        text += escapeLineText(record->Emulator) + "\t" + escapeLineText(record->Game) + "\t" +
                (record->Favourite ? "yes" : "no") + "\t" + std::to_string(record->Plays) + "\t" +
                formatTime(record->LastPlayed) + listMarkOf(*record) + record->Extra + "\n";
    return text;
}

// ---- Reading at start-up

static void linkGames()
{
    for (const auto& record : PlayRecords)
    {
        int emulator = emulatorNamed(record->Emulator);
        Game* game = emulator < 0 ? nullptr : findGame(record->Game, emulator);
        if (game) game->Played = record.get();
    }
}

static void tellUnreadable(const std::string& why)
{
    History.KeepAside = 1;
    showError(message("Your favourites and play history could not be read:\n{1}\n{2}\nThe file "
                      "is left as it is. At the first change it is copied to\n{1}.unreadable\n(if "
                      "it cannot be, changes are kept only until the program ends).",
                      {History.Path, why}));
}

static void takeRecords(PlayHistoryText& text)
{
    for (PlayRecord& record : text.Records)
        PlayRecords.push_back(std::make_unique<PlayRecord>(std::move(record)));
}

static void readHistoryText(const std::string& text)
{
    PlayHistoryText read = parsePlayHistory(text);
    if (read.Version == 0) return tellUnreadable("It is not a history file of this program.");
    takeRecords(read);
    if (read.Version > FormatVersion)
        fprintf(stderr,
                "%s was written by a later version of Torvanell (format %d): it is read "
                "as far as this version understands it\n",
                History.Path.c_str(), read.Version);
    if (read.BadLines == 0) return;
    tellUnreadable(std::to_string(read.BadLines) + (read.BadLines == 1 ? " line" : " lines") +
                   " cannot be read; the others are used.");
}

void loadPlayHistory()
{
    forgetPlayHistory();
    History.Path = playHistoryPath(FrontendSettings.ConfigFile);
    platformRemoveTemporaries(History.Path);
    int64_t stamp, size;
    if (!platformFileStamp(History.Path, &stamp, &size)) return; // none yet: nothing played
    std::string text;
    platformClearFailure();
    if (size > (int64_t)FileLimit)
        tellUnreadable("It is far too large for a history file.");
    else if (!platformReadFile(History.Path, text))
        tellUnreadable(platformWhyFailed("It cannot be opened."));
    else if (!text.empty())
        readHistoryText(text);
    linkGames();
}

// ---- Changes

static PlayRecord& recordOf(Game& game)
{
    if (game.Played) return *game.Played;
    const Emulator* emulator = emulatorOf(&game);
    PlayRecords.push_back(std::make_unique<PlayRecord>(
        PlayRecord{emulator ? emulator->Name : "", game.Name, 0, 0, 0, 0, 0, 0, ""}));
    game.Played = PlayRecords.back().get();
    return *game.Played;
}

// The first write after a file that could not be read keeps that file beside it, and only a
// copy read back whole counts; without one the file is not replaced. A file gone meanwhile
// has nothing left to keep.
static int keepUnreadAside(std::string& why)
{
    if (!History.KeepAside) return 1;
    std::string aside = History.Path + ".unreadable";
    platformClearFailure();
    int copied = platformCopyFileVerified(History.Path, aside);
    if (!copied && platformFileExists(History.Path))
    {
        why = platformWhyFailed("it cannot be copied");
        fprintf(stderr, "The history file [%s] is not replaced: it cannot be copied to [%s] (%s)\n",
                History.Path.c_str(), aside.c_str(), why.c_str());
        return 0;
    }
    if (copied)
        fprintf(stderr, "The history file that could not be read is kept as [%s]\n", aside.c_str());
    History.KeepAside = 0;
    return 1;
}

int savePlayHistory()
{
    if (History.Path.empty()) History.Path = playHistoryPath(FrontendSettings.ConfigFile);
    platformClearFailure();
    std::string why;
    if (keepUnreadAside(why) && platformReplaceFile(History.Path, formatPlayHistory(PlayRecords)))
        return 1;
    if (why.empty()) why = platformWhyFailed("the file cannot be written");
    if (!History.WriteFailureTold)
        showError(message("Your favourites and play history could not be saved:\n{1}\n{2}\nThey "
                          "are kept until the program ends.",
                          {History.Path, why}));
    History.WriteFailureTold = 1;
    return 0;
}

void toggleFavourite(Game& game)
{
    PlayRecord& record = recordOf(game);
    record.Favourite = !record.Favourite;
    savePlayHistory();
}

void recordPlay(Game& game)
{
    PlayRecord& record = recordOf(game);
    record.Plays++;
    record.LastPlayed = platformWallSeconds();
    savePlayHistory();
}

int mergeListedPlays(Game& game, int favourite, int64_t plays, int64_t lastPlayed)
{
    PlayRecord* known = game.Played;
    if (!known && !favourite && !plays && !lastPlayed) return 0;
    PlayRecord& record = recordOf(game);
    PlayRecord before = record;
    // A list that counts fewer than before was started afresh: its count is remembered only.
    if (plays > record.ListPlays) record.Plays += plays - record.ListPlays;
    if (favourite && !record.ListFavourite) record.Favourite = 1;
    record.LastPlayed = std::max(record.LastPlayed, lastPlayed);
    record.ListPlays = plays;
    record.ListFavourite = favourite;
    record.ListMerged = 1;
    if (record.Plays != before.Plays || record.Favourite != before.Favourite ||
        record.LastPlayed != before.LastPlayed)
        return 2;
    return record.ListPlays != before.ListPlays || record.ListFavourite != before.ListFavourite ||
           !before.ListMerged;
}

int isFavourite(const Game& game)
{
    return game.Played && game.Played->Favourite;
}

int64_t playsOf(const Game& game)
{
    return game.Played ? game.Played->Plays : 0;
}

int64_t lastPlayedOf(const Game& game)
{
    return game.Played ? game.Played->LastPlayed : 0;
}

void forgetPlayHistory()
{
    for (auto& game : AllGames) game->Played = nullptr;
    std::vector<std::unique_ptr<PlayRecord>>().swap(PlayRecords);
    History = PlayHistoryFile();
}
