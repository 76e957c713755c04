// The control socket: the same user's programs (a marquee player, a light controller, a phone
// page) ask what is shown, select and start games, and hear of every change.
#pragma once

#include "runtime/protocol.h"

#include <cstdint>
#include <string>
#include <vector>

const int SocketClientLimit = 8;
// What may wait to be written to one client before it counts as too slow and is dropped.
const size_t SocketBacklogLimit = 256 * 1024;
// A client that has sent nothing for this long gives its place to a new one when all are
// taken.
const int64_t SocketIdleMs = 30000;
// The time the requests of one step may take of the loop that serves them (a tick is 100 ms);
// what is left waits for the next step. One step changes the emulator shown once at most: with
// a large catalogue each change builds the list anew.
const int64_t SocketStepBudgetMs = 10;

struct SocketClient
{
    int Handle;
    LineReader Reader;
    std::string Out; // answers and news not yet written
    int Subscribed = 0;
    int Finished = 0;      // it closed its side: answered, then closed
    int64_t LastHeard = 0; // when it last sent something, on the platform clock
};

struct ControlSocketRecord
{
    int Listener = -1;
    std::string Path;
    std::vector<SocketClient> Clients;
    // The game a launch answered; started once the answer is written. Not owned.
    const struct Game* LaunchWanted = nullptr;
    int64_t Refused = 0; // clients turned away (too many), for the tests
};
extern ControlSocketRecord ControlSocket;

// Listens when ControlSocket=1, on torvanell.sock in $XDG_RUNTIME_DIR (else beside the
// configuration); a path that cannot be used is told, and the front end runs on
// without the socket.
void startControlSocket();
// Accepts, reads, answers and writes, without ever waiting; gameRunning says the loop that
// calls is a running game's (nothing can be started from there).
void serveControlSocket(int gameRunning);
// A line of news ({"event":…}) for every subscribed client.
void tellSubscribers(NewsKind news, const std::string& gameField);
void stopControlSocket();
