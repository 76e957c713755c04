// The MAME game list: reading mame.lst, MAME's -listxml output, with Expat into games.
// One reader serves three generations of the list: old (game, video, input control=), the
// intermediate one (display, control children with old names) and the new one (machine,
// isbios/isdevice, control type= ways= buttons=), as well as DAT files (video type=).
#include "catalogue/mamelist.h"

#include "base/message.h"
#include "catalogue/catalogue.h"
#include "catalogue/mameinfo.h"
#include "catalogue/snapshot.h"
#include "config/settings.h"
#include "platform/files.h"
#include "runtime/state.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>

// Where the character data of the open element goes.
enum TextTarget
{
    TextNone,
    TextDescription,
    TextYear,
    TextManufacturer
};

// The state of one file's parse, handed to every handler.
struct ListParse
{
    int EmulatorIndex;
    Game* Current; // the game whose start tag came last; null before the first one
    // Current while its end tag has not come: not in AllGames yet, and dropped when the next
    // game starts inside it or the list ends first.
    std::unique_ptr<Game> Open;
    TextTarget Target;
    std::string Text;    // the element's text so far: entities split it into several pieces
    int InInput;         // inside the current game's input element
    int InputHasButtons; // that input element gave buttons itself
    int Cuts;            // descriptions and manufacturers cut to their limit
};

// The lines handed to the parser, read in large blocks.
struct ListFeed
{
    XML_Parser Parser;
    int Started;          // a non-empty line has reached the parser
    long LeadingEmpty;    // empty lines before it, added to the parser's line numbers
    int InLine;           // the start of the current line has gone to the parser already
    long SkippedLines;    // lines of text before the list
    int Skipping;         // the rest of a skipped line is still to come
    int ParseFailed;      // the parser stopped at an error
    std::string* Problem; // where the error's text goes; null: it is shown in the box
};

static const size_t ReadBlockSize = 1 << 20;

static int isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// ---- Numbers in attribute values and texts

// Optional white space, an optional sign, then decimal digits; 0 when there are none. A run of
// digits too long for the type saturates instead of overflowing.
static long long readDecimal(const char* text)
{
    while (isBlank(*text)) text++;
    int negative = *text == '-';
    if (*text == '-' || *text == '+') text++;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; text++)
        if (value < LLONG_MAX / 10 - 1) value = value * 10 + (*text - '0');
    return negative ? -value : value;
}

static int32_t readInt32(const char* text)
{
    return (int32_t)std::clamp<long long>(readDecimal(text), INT32_MIN, INT32_MAX);
}

// The 16-bit fields keep the low 16 bits of the number.
static uint16_t readLow16(const char* text)
{
    return (uint16_t)((unsigned long long)readDecimal(text) & 0xFFFF);
}

// ---- Element handlers

static int isYes(const char* value)
{
    return std::strcmp(value, "yes") == 0;
}

// One of the seven control names that count as a "real" arcade control.
static int isNamedControl(const char* name)
{
    static const char* const names[] = {"dial",  "doublejoy8way", "joy4way",  "joy8way",
                                        "stick", "paddle",        "trackball"};
    for (const char* known : names)
        if (std::strcmp(name, known) == 0) return 1;
    return 0;
}

static void startGame(ListParse* parse, const XML_Char** atts)
{
    parse->Open = newGame(parse->EmulatorIndex);
    parse->Current = parse->Open.get();
    parse->InInput = 0;
    Game* game = parse->Current;
    for (; atts[0]; atts += 2)
    {
        const char *name = atts[0], *value = atts[1];
        if (std::strcmp(name, "name") == 0)
            game->Name = value;
        else if (std::strcmp(name, "cloneof") == 0)
            game->CloneOf = value;
        else if (std::strcmp(name, "romof") == 0)
            game->RomOf = value;
        else if (std::strcmp(name, "runnable") == 0)
            game->NotRunnable |= std::strcmp(value, "no") == 0;
        else if (std::strcmp(name, "isbios") == 0 || std::strcmp(name, "isdevice") == 0)
            game->NotRunnable |= isYes(value);
    }
}

static void endGame(ListParse* parse)
{
    if (!parse->Open) return;
    appendGame(std::move(parse->Open));
    parse->InInput = 0;
}

static void startText(ListParse* parse, TextTarget target)
{
    if (!parse->Current) return;
    parse->Target = target;
    parse->Text.clear();
}

// Called at the element's end tag, when the whole text has arrived.
static void finishText(ListParse* parse)
{
    Game* game = parse->Current;
    if (parse->Target == TextDescription)
        keepOnOneLine(game->Description =
                          cutToLength(parse->Text, GameTextLengthLimit, &parse->Cuts));
    else if (parse->Target == TextManufacturer)
        keepOnOneLine(game->Manufacturer =
                          cutToLength(parse->Text, GameTextLengthLimit, &parse->Cuts));
    else if (parse->Target == TextYear)
    {
        game->Year = readInt32(parse->Text.c_str());
        keepOnOneLine(game->YearText = cutToLength(parse->Text, YearLengthLimit, &parse->Cuts));
    }
    parse->Target = TextNone;
}

// video: screen (or type, as DAT files write it), orientation, width, height.
static void setVideo(ListParse* parse, const XML_Char** atts)
{
    if (!parse->Current) return;
    auto video = std::make_unique<VideoInfo>();
    const char* type = nullptr;
    int hasScreen = 0;
    for (; atts[0]; atts += 2)
    {
        const char *name = atts[0], *value = atts[1];
        if (std::strcmp(name, "screen") == 0)
            video->Screen = value, hasScreen = 1;
        else if (std::strcmp(name, "type") == 0)
            type = value;
        else if (std::strcmp(name, "orientation") == 0)
            video->Orientation =
                std::strcmp(value, "vertical") == 0 ? OrientationVertical : OrientationHorizontal;
        else if (std::strcmp(name, "width") == 0)
            video->Width = readLow16(value);
        else if (std::strcmp(name, "height") == 0)
            video->Height = readLow16(value);
    }
    if (!hasScreen && type) video->Screen = type;
    parse->Current->Video = std::move(video);
}

// display: the newer lists' screen, with the rotation in degrees.
static void setDisplay(ListParse* parse, const XML_Char** atts)
{
    if (!parse->Current) return;
    auto video = std::make_unique<VideoInfo>();
    for (; atts[0]; atts += 2)
    {
        const char *name = atts[0], *value = atts[1];
        if (std::strcmp(name, "type") == 0)
            video->Screen = value;
        else if (std::strcmp(name, "rotate") == 0)
        {
            long long degrees = readDecimal(value);
            video->Orientation =
                degrees == 90 || degrees == 270 ? OrientationVertical : OrientationHorizontal;
        }
        else if (std::strcmp(name, "width") == 0)
            video->Width = readLow16(value);
        else if (std::strcmp(name, "height") == 0)
            video->Height = readLow16(value);
    }
    parse->Current->Video = std::move(video);
}

static void setInput(ListParse* parse, const XML_Char** atts)
{
    if (!parse->Current) return;
    InputInfo* input = &parse->Current->Input.emplace();
    input->Control = 8;
    parse->InputHasButtons = 0;
    for (; atts[0]; atts += 2)
    {
        const char *name = atts[0], *value = atts[1];
        if (std::strcmp(name, "players") == 0)
            input->Players = (int16_t)readLow16(value);
        else if (std::strcmp(name, "buttons") == 0)
            input->Buttons = (int16_t)readLow16(value), parse->InputHasButtons = 1;
        else if (std::strcmp(name, "coins") == 0)
            input->Coins = (int16_t)readLow16(value);
        else if (std::strcmp(name, "control") == 0)
        {
            if (isNamedControl(value)) input->Control = 1;
            input->ControlTypes |= controlTypeBit(value);
        }
    }
    parse->InInput = 1;
}

// A control child of input. The intermediate lists already write the old names ("joy8way");
// the new ones split them into a type and the number of ways.
static void addControl(ListParse* parse, const XML_Char** atts)
{
    if (!parse->Current || !parse->InInput || !parse->Current->Input) return;
    InputInfo* input = &*parse->Current->Input;
    std::string type;
    const char* ways = nullptr;
    long long buttons = 0;
    for (; atts[0]; atts += 2)
    {
        const char *name = atts[0], *value = atts[1];
        if (std::strcmp(name, "type") == 0)
            type = value;
        else if (std::strcmp(name, "ways") == 0)
            ways = value;
        else if (std::strcmp(name, "buttons") == 0)
            buttons = readDecimal(value);
    }
    input->ControlTypes |= controlTypeBit(type);
    if ((type == "joy" || type == "doublejoy") && ways) type += std::string(ways) + "way";
    if (isNamedControl(type.c_str())) input->Control = 1;
    if (!parse->InputHasButtons && buttons > input->Buttons)
        input->Buttons = (int16_t)(uint16_t)((unsigned long long)buttons & 0xFFFF);
}

// Element names are told apart by their first letter before any full comparison: most
// elements of a list are rom, dipvalue, port and the like, which need one test to pass over.
// The ROMs a machine needs are not kept: nothing shown depends on them, and a full list holds
// hundreds of thousands; the list itself still has them for whatever comes to need them.
static void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** atts)
{
    ListParse* parse = (ListParse*)data;
    parse->Target = TextNone;
    switch (name[0])
    {
    case 'g':
        if (std::strcmp(name, "game") == 0) startGame(parse, atts);
        break;
    case 'm':
        if (std::strcmp(name, "machine") == 0)
            startGame(parse, atts);
        else if (std::strcmp(name, "manufacturer") == 0)
            startText(parse, TextManufacturer);
        break;
    case 'd':
        if (std::strcmp(name, "description") == 0)
            startText(parse, TextDescription);
        else if (std::strcmp(name, "display") == 0)
            setDisplay(parse, atts);
        break;
    case 'y':
        if (std::strcmp(name, "year") == 0) startText(parse, TextYear);
        break;
    case 'v':
        if (std::strcmp(name, "video") == 0) setVideo(parse, atts);
        break;
    case 'i':
        if (std::strcmp(name, "input") == 0) setInput(parse, atts);
        break;
    case 'c':
        if (std::strcmp(name, "control") == 0) addControl(parse, atts);
        break;
    }
}

static void XMLCALL endElement(void* data, const XML_Char* name)
{
    ListParse* parse = (ListParse*)data;
    // A start tag clears the target, so only the text element's own end tag finds it set.
    if (parse->Target != TextNone) finishText(parse);
    if ((name[0] == 'g' && std::strcmp(name, "game") == 0) ||
        (name[0] == 'm' && std::strcmp(name, "machine") == 0))
        endGame(parse);
    else if (name[0] == 'i' && std::strcmp(name, "input") == 0)
        parse->InInput = 0;
}

static void XMLCALL characterData(void* data, const XML_Char* text, int length)
{
    ListParse* parse = (ListParse*)data;
    // One byte past the limit is enough to know the text is cut.
    if (parse->Target != TextNone && parse->Text.size() <= GameTextLengthLimit)
        parse->Text.append(text, (size_t)length);
}

// ---- Reading the file

static int parseChunk(ListFeed& feed, const char* text, size_t length, int isFinal)
{
    if (XML_Parse(feed.Parser, text, (int)length, isFinal) != XML_STATUS_ERROR) return 1;
    feed.ParseFailed = 1;
    long line = (long)XML_GetCurrentLineNumber(feed.Parser) + feed.LeadingEmpty;
    std::string problem =
        message("Parse error at line {1}:\n{2}\n",
                {std::to_string(line), XML_ErrorString(XML_GetErrorCode(feed.Parser))});
    if (feed.Problem)
        *feed.Problem = problem;
    else
        showError(problem);
    return 0;
}

// Moves text to data[out]; answers the new end.
static size_t moveText(char* data, size_t out, size_t first, size_t last)
{
    std::memmove(data + out, data + first, last - first);
    return out + (last - first);
}

// A line of data[start, stop) that has its line break: trimmed (its start only when the
// start has not gone to the parser already) and ended by one line break. An empty line
// becomes a bare line break, so that the parser's line numbers stay the file's; empty lines
// before the first text are dropped, since the XML declaration must come first, and counted.
static size_t emitLine(ListFeed& feed, char* data, size_t out, size_t start, size_t stop)
{
    size_t first = start, last = stop;
    if (!feed.InLine)
        while (first < last && isBlank(data[first])) first++;
    while (last > first && isBlank(data[last - 1])) last--;
    if (last == first && !feed.InLine && !feed.Started)
    {
        feed.LeadingEmpty++;
        return out;
    }
    out = moveText(data, out, first, last);
    data[out++] = '\n';
    feed.Started = 1;
    feed.InLine = 0;
    return out;
}

// The start of a line too long to wait for: everything but its trailing blanks goes to the
// parser now, which joins the pieces exactly as it would read the whole line. *rest is where
// the part kept for later begins.
static size_t emitLineStart(ListFeed& feed, char* data, size_t out, size_t start, size_t end,
                            size_t* rest)
{
    size_t first = start, last = end;
    if (!feed.InLine)
        while (first < last && isBlank(data[first])) first++;
    while (last > first && isBlank(data[last - 1])) last--;
    if (last == first && feed.InLine) last = end; // only blanks so far: inner ones, pass them
    *rest = last == first ? end : last;
    if (last == first) return out;
    feed.Started = 1;
    feed.InLine = 1;
    return moveText(data, out, first, last);
}

// Moves the lines of data[0, end) to the front as the parser gets them and answers their
// length; *rest is where the part kept for the next block begins (end when there is none).
// An emulator's warnings are captured with its list, so text can come before the first line
// that starts with '<'. Such lines are skipped, and counted so that the parser's line
// numbers stay the file's.
static int skipsText(ListFeed& feed, const char* data, size_t start, size_t stop, int complete)
{
    if (feed.Started || feed.InLine) return 0;
    if (!feed.Skipping)
    {
        size_t first = start;
        while (first < stop && isBlank(data[first])) first++;
        if (first == stop || data[first] == '<') return 0;
        feed.SkippedLines++;
    }
    feed.Skipping = !complete;
    if (complete) feed.LeadingEmpty++;
    return 1;
}

static size_t compactLines(ListFeed& feed, char* data, size_t end, int atEnd, size_t* rest)
{
    size_t out = 0, start = 0;
    while (start < end)
    {
        char* newline = (char*)std::memchr(data + start, '\n', end - start);
        int waits = !newline && !atEnd && end - start < ReadBlockSize / 2 && !feed.Skipping;
        if (waits) break; // wait for the rest of the line
        size_t stop = newline ? (size_t)(newline - data) : end;
        if (skipsText(feed, data, start, stop, newline != nullptr))
        {
            start = newline ? stop + 1 : end;
            continue;
        }
        if (!newline && !atEnd)
        {
            out = emitLineStart(feed, data, out, start, end, &start);
            break;
        }
        out = emitLine(feed, data, out, start, stop);
        start = newline ? stop + 1 : end;
    }
    *rest = start;
    return out;
}

// Hands the whole file to the parser; 0 on a read error. A parse error stops the reading
// but is not a failure: the games completed before it stay.
static int feedList(FILE* file, ListFeed& feed)
{
    std::vector<char> buffer(ReadBlockSize);
    size_t held = 0; // the unfinished end of the last block
    for (;;)
    {
        if (held + 1 >= buffer.size()) buffer.resize(buffer.size() * 2); // a run of blanks
        // One byte stays free for the line break after a last line that has none.
        size_t got = std::fread(buffer.data() + held, 1, buffer.size() - held - 1, file);
        if (std::ferror(file))
        {
            std::fputs("Read error\n", stderr);
            return 0;
        }
        int atEnd = std::feof(file);
        size_t end = held + got, rest = 0;
        size_t length = compactLines(feed, buffer.data(), end, atEnd, &rest);
        if (length && !parseChunk(feed, buffer.data(), length, 0)) return 1;
        held = end - rest;
        std::memmove(buffer.data(), buffer.data() + rest, held);
        if (atEnd) break;
    }
    // Telling the parser the input has ended reports a list cut off in the middle; an empty
    // file has nothing to report.
    if (feed.Started) parseChunk(feed, "", 0, 1);
    return 1;
}

// ---- After the parse

// A parent is a game of the clone's own emulator, so that each of two MAME emulators sharing
// mame.lst judges a parent by its own ROM folders.
static void linkParents(size_t firstGame)
{
    for (size_t i = firstGame; i < AllGames.size(); i++)
    {
        Game* game = AllGames[i].get();
        game->Parent =
            game->CloneOf.empty() ? nullptr : findGame(game->CloneOf, game->EmulatorIndex);
    }
}

// 1 when the whole file was read, and *complete when it also parsed without an error.
static int parseList(FILE* file, XML_Parser parser, int emulatorIndex, const std::string& path,
                     int* complete, std::string* problem)
{
    ListParse parse{};
    parse.EmulatorIndex = emulatorIndex;
    XML_SetUserData(parser, &parse);
    XML_SetElementHandler(parser, startElement, endElement);
    XML_SetCharacterDataHandler(parser, characterData);
    ListFeed feed{};
    feed.Parser = parser;
    feed.Problem = problem;
    int read = feedList(file, feed);
    if (parse.Cuts)
        std::fprintf(stderr,
                     "%s: %d descriptions or manufacturers longer than %zu bytes were cut\n",
                     path.c_str(), parse.Cuts, GameTextLengthLimit);
    if (feed.SkippedLines)
        std::fprintf(stderr, "%s: skipped %ld line(s) of text before the list\n", path.c_str(),
                     feed.SkippedLines);
    *complete = read && !feed.ParseFailed;
    return read;
}

static int readList(const std::string& path, int emulatorIndex, int* complete, std::string* problem)
{
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
    {
        showError("Couldn't allocate memory for XML parser");
        return 0;
    }
    FILE* file = platformOpenData(path, MameListFileLimit);
    if (!file)
    {
        std::printf("Error opening file: [%s]\n", path.c_str());
        XML_ParserFree(parser);
        return 0;
    }
    int read = parseList(file, parser, emulatorIndex, path, complete, problem);
    std::fclose(file);
    XML_ParserFree(parser);
    return read;
}

// The parse, the index and the game information; a snapshot is made of a list that gave
// games without an error and did not change while it was read.
static MameListLoad parseAndSnapshot(const std::string& path, int emulatorIndex, int described,
                                     const SnapshotSource& source, std::string* problem)
{
    size_t firstGame = AllGames.size();
    int complete = 0;
    if (!readList(path, emulatorIndex, &complete, problem)) return ListUnreadable;
    linkParents(firstGame);
    if (FrontendSettings.UseMameInfoDat && !loadMameInfo(FrontendSettings.MameinfoDat, &complete))
        return InfoUnreadable;
    SnapshotSource after;
    if (complete && described && AllGames.size() > firstGame &&
        describeSnapshotSource(path, after) && after == source)
        saveSnapshot(path, source, firstGame);
    return ListLoaded;
}

MameListLoad loadMameList(const std::string& path, int emulatorIndex, std::string* problem)
{
    if (problem) problem->clear();
    platformRemoveDerivedTemporaries(snapshotPath(path));
    SnapshotSource source;
    int described = describeSnapshotSource(path, source);
    size_t firstGame = AllGames.size();
    if (!described || !loadSnapshot(path, source, emulatorIndex))
        return parseAndSnapshot(path, emulatorIndex, described, source, problem);
    linkParents(firstGame);
    return ListLoaded;
}

void deleteMameList(const std::string& path)
{
    platformDeleteFile(path);
    platformDeleteFile(snapshotPath(path));
}
