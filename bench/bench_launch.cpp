// What a launch costs the front end before and after the emulator runs: building and splitting
// the command line, and starting and reaping a program that ends at once.
#include "catalogue/catalogue.h"
#include "launch/launch.h"
#include "platform/process.h"

#include <benchmark/benchmark.h>

static void BM_ExpandAndSplitLongCommandLine(benchmark::State& state)
{
    Emulator emulator;
    emulator.CmdLine = "-rompath %q%p%q %q%p/%f%q -skip_gameinfo %r";
    Game game;
    game.RomFile =
        std::make_unique<RomFileInfo>(RomFileInfo{"/home/arcade/roms/Super Nintendo", {}});
    game.Name = std::string(state.range(0), 'n') + " (U) [!].zip";
    for (auto _ : state)
    {
        std::string line = buildCommandLine("/opt/emu", "snes9x", expandCmdLine(&emulator, &game));
        benchmark::DoNotOptimize(platformSplitCommandLine(line));
    }
}
BENCHMARK(BM_ExpandAndSplitLongCommandLine)->Arg(20)->Arg(10000);

static void BM_StartAndWaitForAProgram(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::string why;
        Process* process = platformStartProcess("true", "/", "", why);
        int code = -1;
        platformWaitProcess(process, &code);
        benchmark::DoNotOptimize(code);
    }
}
BENCHMARK(BM_StartAndWaitForAProgram)->Unit(benchmark::kMillisecond);
