// The control socket's language: one JSON object per line in, one per line out. What a line
// asks for is read here; what is done about it is the front end's.
#pragma once

#include <cstddef>
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

// {"error":"<text>"} and a line feed; bytes of text that are not UTF-8 become U+FFFD.
std::string errorLine(std::string_view text);
