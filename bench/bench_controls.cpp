// The 100 ms tick at 1920x1080 on a list of 1,000 games without artwork: with nothing pressed
// (every binding sampled, one or two sticks read) and with SelectDown held (sampling, a full
// redraw of the back buffer and the synchronous paint); and a letter jump held on 45,000
// games. A held key must stay far below the 100 ms the tick allows.
#include "catalogue/catalogue.h"
#include "catalogue/filters.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/actions.h"
#include "core/controlsocket.h"
#include "core/frontend.h"
#include "core/lock.h"
#include "platform/input.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/state.h"

#include <benchmark/benchmark.h>

#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// count games; with initials, their names start with every letter in turn and are sorted.
static void setUp(int count = 1000, int initials = 0)
{
    testUseScreenSize(1920, 1080);
    startTestPlatform();
    resetFrontend();
    FrontendSettings.ConfigFile = "/nonexistent/torvanell.ini";
    loadFrontendSettings();
    loadSkin();
    FrontendState.CurrentEmulator = -1;
    createMainWindow();
    platformShowWindow(FrontendState.MainWindow, ShowMaximized);
    Emulator* emulator = EmulatorTable.emplace_back(std::make_unique<Emulator>()).get();
    emulator->Name = "Bench";
    emulator->IncludeInAll = 1;
    for (int i = 0; i < count; i++)
    {
        std::unique_ptr<Game> game = newGame(0);
        game->Name = "game" + std::to_string(i);
        game->Description = "Game number " + std::to_string(i);
        if (initials) game->Description[0] = (char)('A' + i % 26);
        appendGame(std::move(game));
    }
    sortAllGames();
    rebuildVisibleGames();
    testPlugJoystick(1, 6, 15, 0);
    initJoystick();
}

static void tearDown()
{
    releaseResources();
    platformStop();
}

static void BM_TickNothingPressed(benchmark::State& state)
{
    setUp();
    for (auto _ : state) processTick(FrontendState.MainWindow);
    tearDown();
}
BENCHMARK(BM_TickNothingPressed)->Unit(benchmark::kMicrosecond);

static void BM_TickSelectDownHeld(benchmark::State& state)
{
    setUp();
    testPressKey(VkDown);
    for (auto _ : state) processTick(FrontendState.MainWindow);
    benchmark::DoNotOptimize(FrontendState.CurrentGame);
    tearDown();
}
BENCHMARK(BM_TickSelectDownHeld)->Unit(benchmark::kMillisecond);

// The operator's lock on, with a sequence to watch for: what the lock adds to a tick.
static void BM_TickNothingPressedLocked(benchmark::State& state)
{
    setUp();
    FrontendSettings.Locked = 1;
    FrontendSettings.LockSequence = "Up,Up,Down,Down,Left,Right,Left,Right,Info";
    FrontendSettings.LockAllows = "ToggleFavourite";
    loadLock();
    for (auto _ : state) processTick(FrontendState.MainWindow);
    tearDown();
}
BENCHMARK(BM_TickNothingPressedLocked)->Unit(benchmark::kMicrosecond);

// Jumping by letter through 45,000 games, a jump and a full redraw with the initial every tick.
static void BM_TickLetterDownHeld(benchmark::State& state)
{
    setUp(45000, 1);
    testPressKey('X');
    for (auto _ : state) processTick(FrontendState.MainWindow);
    benchmark::DoNotOptimize(FrontendState.CurrentGame);
    tearDown();
}
BENCHMARK(BM_TickLetterDownHeld)->Unit(benchmark::kMillisecond);

// Both players' sticks plugged in and read every tick.
static void BM_TickTwoSticksNothingPressed(benchmark::State& state)
{
    setUp();
    testPlugJoystick(0, 2, 12, 1);
    for (auto _ : state) processTick(FrontendState.MainWindow);
    tearDown();
}
BENCHMARK(BM_TickTwoSticksNothingPressed)->Unit(benchmark::kMicrosecond);

// A client floods the control socket with selects that each change the emulator shown, on
// 20,000 games: one step of the loop (what a tick gives the socket) answers one such change.
static void BM_SocketStepUnderAFloodOfViewChanges(benchmark::State& state)
{
    setUp(20000);
    EmulatorTable.emplace_back(std::make_unique<Emulator>())->Name = "Other";
    EmulatorTable.back()->IncludeInAll = 1;
    char folder[] = "/tmp/torvanell-bench-XXXXXX";
    setenv("XDG_RUNTIME_DIR", mkdtemp(folder), 1);
    FrontendSettings.ControlSocket = 1;
    startControlSocket();
    int client = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    snprintf(address.sun_path, sizeof address.sun_path, "%s", ControlSocket.Path.c_str());
    connect(client, (sockaddr*)&address, sizeof address);
    std::string flood;
    for (int i = 0; i < 3000; i++)
        flood += i % 2 ? "{\"select\":{\"emulator\":\"All\",\"game\":\"game5\"}}\n"
                       : "{\"select\":{\"emulator\":\"Bench\",\"game\":\"game5\"}}\n";
    size_t sent = 0;
    char answers[65536];
    for (auto _ : state)
    {
        if (sent < flood.size())
        {
            ssize_t wrote = send(client, flood.data() + sent, flood.size() - sent, MSG_DONTWAIT);
            if (wrote > 0) sent += (size_t)wrote;
        }
        serveControlSocket(0);
        while (recv(client, answers, sizeof answers, MSG_DONTWAIT) > 0)
        {
        }
    }
    close(client);
    stopControlSocket();
    rmdir(folder);
    tearDown();
}
BENCHMARK(BM_SocketStepUnderAFloodOfViewChanges)->Unit(benchmark::kMillisecond)->Iterations(200);
