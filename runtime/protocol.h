// The control socket's language, for both of its sides: one JSON object per line in, one per
// line out. Requests, answers and news are written and read here; what is done about a
// request is the front end's, what is done with an answer the client's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

const size_t RequestLineLimit = 64 * 1024; // bytes of one line, its line feed not counted

enum RequestKind
{
    RequestBad,       // Error says why
    RequestState,     // {"get":"state"}
    RequestSelect,    // {"select":{"emulator":…,"game":…}}
    RequestLaunch,    // {"launch":{…}} as select, or {"launch":"selected"}
    RequestEndGame,   // {"end":"game"}
    RequestSubscribe, // {"subscribe":true} or false
};

struct Request
{
    RequestKind Kind = RequestBad;
    std::string Emulator; // empty: the emulators shown now
    std::string Game;     // empty for a launch of the selected game
    int On = 0;           // of a subscription
    std::string Error;
};

Request readRequest(std::string_view line);
// The line a client sends to ask for request (RequestBad gives an empty text).
std::string requestLine(const Request& request);

// Cuts what a client sent into lines. A line over RequestLineLimit is given as Overlong once,
// and its bytes up to the next line feed are thrown away.
struct LineReader
{
    std::string Pending;
    int Skipping = 0; // in an overlong line
};
enum LineResult
{
    NoLine,
    GotLine,
    Overlong,
};
LineResult nextLine(LineReader& reader, std::string& line);

// ---- Answers and news. Every answer and line of news is one line; bytes of a text that are
// not UTF-8 become U+FFFD.

// What the front end shows, as an answer and every line of news carry it.
struct ShownState
{
    std::string Emulator; // the selected game's, else the one shown
    std::string Shown;    // the emulator shown, "All" or "Favourites"
    std::optional<std::string> Game, Description, Running;
    std::string View = "list"; // or "images"
    bool ScreenSaver = false, Locked = false;
};

enum NewsKind
{
    NewsSelected,
    NewsScreenSaverStart,
    NewsScreenSaverEnd,
    NewsGameStart,
    NewsGameEnd,
    NewsKindCount,
};
extern const char* const NewsNames[NewsKindCount];

std::string stateLine(const ShownState& state);
// game is the game started or ended; empty for the others.
std::string newsLine(const ShownState& state, NewsKind news, const std::string& game);
std::string launchingLine(const std::string& game);
std::string endingLine(const std::string& game);
std::string subscribedLine(bool on);
// {"error":"<text>"}
std::string errorLine(std::string_view text);

enum AnswerKind
{
    AnswerBad, // not a line the front end writes; Error says why
    AnswerState,
    AnswerNews,
    AnswerLaunching,
    AnswerEnding,
    AnswerSubscribed,
    AnswerError,
};

struct Answer
{
    AnswerKind Kind = AnswerBad;
    ShownState State; // of a state and of news
    NewsKind News = NewsSelected;
    std::string Game;  // of news of a game, of launching and ending
    bool On = false;   // of a subscription
    std::string Error; // of an error, and why a line is bad
};

// A line the front end wrote, read as a client reads it.
Answer readAnswer(std::string_view line);

// Where the front end listens: torvanell.sock in $XDG_RUNTIME_DIR, else beside the
// configuration file.
std::string controlSocketPath(const std::string& configFile);
