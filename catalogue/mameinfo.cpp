// The game-information file (mameinfo.dat): "$info=" names one or more sets, "$mame" opens
// the text shown for them, "$drv" a driver section that is skipped, "$end" closes the entry.
#include "catalogue/mameinfo.h"

#include "base/text.h"
#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "platform/files.h"

#include <cstdio>
#include <cstring>
#include <vector>

// Where the reader stands.
enum InfoState
{
    StateBetween, // between entries
    StateNamed,   // after an entry's $info line
    StateText,    // inside its $mame text section
    StateDriver   // inside its $drv driver section
};

// The keywords, compared with the start of a line (letter case counts), and the states
// each is allowed in; a keyword anywhere else stops the reading.
struct InfoKeyword
{
    const char* Text;
    int AllowedStates; // bit per InfoState
    InfoState Next;
};
static const InfoKeyword InfoKeywords[] = {
    {"$info", 1 << StateBetween, StateNamed},
    {"$mame", 1 << StateNamed, StateText},
    {"$drv", 1 << StateNamed, StateDriver},
    {"$end", (1 << StateText) | (1 << StateDriver), StateBetween},
};

struct InfoEntry
{
    InfoState State;
    std::string Names; // the text after "$info=": one set name or several separated by commas
    std::vector<std::string> Lines;
    int DropNextIfEmpty; // a text line came last: an empty line after it only spaces the text
    int Cuts;            // lines cut to their limit
};

// Whole lines of any length, read in blocks.
struct InfoReader
{
    FILE* File;
    std::vector<char> Block;
    size_t Position, Length;
};

// The next line without its line end (LF or CRLF); 0 at the end of the file.
static int readInfoLine(InfoReader& reader, std::string& line)
{
    line.clear();
    int gotAny = 0;
    for (;;)
    {
        if (reader.Position == reader.Length)
        {
            reader.Length = std::fread(reader.Block.data(), 1, reader.Block.size(), reader.File);
            reader.Position = 0;
            if (reader.Length == 0) return gotAny;
        }
        gotAny = 1;
        const char* start = reader.Block.data() + reader.Position;
        size_t available = reader.Length - reader.Position;
        const char* newline = (const char*)std::memchr(start, '\n', available);
        size_t take = newline ? (size_t)(newline - start) : available;
        line.append(start, take);
        reader.Position += newline ? take + 1 : take;
        if (newline) break;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return 1;
}

static const InfoKeyword* findKeyword(const std::string& line)
{
    for (const InfoKeyword& keyword : InfoKeywords)
        if (line.compare(0, std::strlen(keyword.Text), keyword.Text) == 0) return &keyword;
    return nullptr;
}

// Every game of every named set gets its own copy of the lines: each MAME emulator holds a
// copy of the set.
static void giveLines(const std::string& name, const std::vector<std::string>& lines)
{
    for (Game* game : gamesNamed(name)) game->InfoLines = lines;
}

static void storeEntry(InfoEntry& entry)
{
    for (const std::string& name : listItems(entry.Names)) giveLines(name, entry.Lines);
    entry.Lines.clear();
}

// Answers 0 when the keyword is out of place, which stops the reading.
static int applyKeyword(InfoEntry& entry, const InfoKeyword& keyword, const std::string& line)
{
    if (!(keyword.AllowedStates & (1 << entry.State)))
    {
        std::fputs("invalid state found!!!\n", stdout);
        return 0;
    }
    if (keyword.Next == StateNamed)
    {
        // The keyword and one more character, normally the equals sign.
        entry.Names = line.size() > 6 ? line.substr(6) : std::string();
        entry.Lines.clear();
    }
    else if (keyword.Next == StateBetween)
        storeEntry(entry);
    entry.State = keyword.Next;
    return 1;
}

static int handleInfoLine(InfoEntry& entry, const std::string& line)
{
    if (!line.empty() && line[0] == '#') return 1; // a comment
    if (const InfoKeyword* keyword = findKeyword(line)) return applyKeyword(entry, *keyword, line);
    if (entry.State == StateText)
    {
        entry.Lines.emplace_back(cutToLength(line, InfoLineLengthLimit, &entry.Cuts));
        entry.DropNextIfEmpty = !line.empty();
    }
    return 1;
}

int parseMameInfo(FILE* file)
{
    InfoReader reader{file, std::vector<char>(1 << 16), 0, 0};
    InfoEntry entry{};
    std::string line;
    int firstLine = 1;
    while (readInfoLine(reader, line))
    {
        if (firstLine && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        firstLine = 0;
        if (entry.DropNextIfEmpty)
        {
            entry.DropNextIfEmpty = 0;
            if (line.empty()) continue;
        }
        if (!handleInfoLine(entry, line)) break;
    }
    if (entry.Cuts)
        std::fprintf(stderr, "Game information: %d lines longer than %zu bytes were cut\n",
                     entry.Cuts, InfoLineLengthLimit);
    return entry.State == StateBetween; // an unfinished entry's lines go with entry
}

int loadMameInfo(const std::string& path, int* complete)
{
    if (!FrontendSettings.UseMameInfoDat) return 1;
    FILE* file = platformOpenData(path);
    if (!file)
    {
        std::printf("Error opening file: [%s]\n", path.c_str());
        return 0;
    }
    if (!parseMameInfo(file))
    {
        std::fputs("Failed to load data from mameinfo.dat!\n", stdout);
        if (complete) *complete = 0;
    }
    std::fclose(file);
    return 1;
}
