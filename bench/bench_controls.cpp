// The 100 ms tick at 1920x1080 on a list of 1,000 games without artwork: with nothing pressed
// (every binding sampled, the sticks read) and with SelectDown held (sampling,
// a full redraw of the back buffer and the synchronous paint). A held key must stay far below
// the 100 ms the tick allows.
#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/actions.h"
#include "core/frontend.h"
#include "platform/input.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/state.h"

#include <benchmark/benchmark.h>

#include <string>

static void setUp()
{
    testUseScreenSize(1920, 1080);
    startTestPlatform();
    FrontendSettings.ConfigFile = "/nonexistent/torvanell.ini";
    loadFrontendSettings();
    loadSkin();
    FrontendState = FrontendStateRecord();
    FrontendState.CurrentEmulator = -1;
    createMainWindow();
    platformShowWindow(FrontendState.MainWindow, ShowMaximized);
    freeCatalogue();
    freeEmulators();
    Emulator* emulator = new Emulator{};
    emulator->Name = "Bench";
    EmulatorTable.push_back(emulator);
    for (int i = 0; i < 1000; i++)
    {
        Game* game = newGame(0);
        game->Name = "game" + std::to_string(i);
        game->Description = "Game number " + std::to_string(i);
        appendGame(game);
        VisibleGames.push_back(game);
    }
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
