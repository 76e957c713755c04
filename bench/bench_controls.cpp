// The 100 ms tick at 1920x1080 on a list of 1,000 games without artwork: with nothing pressed
// (every binding sampled, one or two sticks read) and with SelectDown held (sampling, a full
// redraw of the back buffer and the synchronous paint); and a letter jump held on 45,000
// games. A held key must stay far below the 100 ms the tick allows.
#include "catalogue/catalogue.h"
#include "catalogue/filters.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/actions.h"
#include "core/frontend.h"
#include "core/lock.h"
#include "platform/input.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/state.h"

#include <benchmark/benchmark.h>

#include <string>

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
