// From process start to the first frame on screen with a full MAME set: 45,000 machines in the
// new list format and a ROM folder of 40,000 files. "Parsed" deletes the list's snapshot before
// each start, so each start reads the XML and writes the snapshot; "FromSnapshot" starts from
// the snapshot. Every start is a new process: start_probe, the real program stopped at its
// first frame. The counters give its resident and peak resident memory at that frame, the
// snapshot's size, and the snapshot start's time as a share of the parsed one.
//
// The data is made once, by tests/gen_mamelist, into $TORVANELL_BENCH_DATA or
// /tmp/torvanell-bench-start. Without DISPLAY the program draws with SDL's dummy driver.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

static const std::string Binaries = TORVANELL_BINARY_DIR;
static const int RomFolderFiles = 40000;

static fs::path dataDirectory()
{
    const char* dir = std::getenv("TORVANELL_BENCH_DATA");
    return dir ? fs::path(dir) : fs::temp_directory_path() / "torvanell-bench-start";
}

// The list, the ROM folder filled up to its size with sets the list does not name, and a
// configuration with the one MAME emulator.
static int prepareData(const fs::path& dir)
{
    if (fs::exists(dir / "mame.lst")) return 1;
    std::string generate = Binaries + "/tests/gen_mamelist " + dir.string() + " 45000 new";
    if (std::system(generate.c_str()) != 0) return 0;
    fs::rename(dir / "mame-new.lst", dir / "mame.lst");
    int files = (int)std::distance(fs::directory_iterator(dir / "roms"), fs::directory_iterator());
    for (int i = files; i < RomFolderFiles; i++)
        std::ofstream(dir / "roms" / ("other" + std::to_string(i) + ".zip"));
    std::ofstream(dir / "t.ini") << "[Settings]\nEmulators=MAME\n[MAME]\nRomPath="
                                 << (dir / "roms").string() << "\nDisplayClones=1\n";
    return 1;
}

struct FirstFrame
{
    double Seconds;
    double ResidentMegabytes, PeakMegabytes;
};

static long long steadyNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One start of the probe in dir; zero seconds when it did not reach a frame.
static FirstFrame startProbe(const fs::path& dir)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    std::string probe = Binaries + "/bench/start_probe";
    setenv("START_PROBE_SPAWNED", std::to_string(steadyNanoseconds()).c_str(), 1);
    pid_t child = fork();
    if (child == 0)
    {
        dup2(pipeEnds[1], 1);
        close(pipeEnds[0]);
        if (chdir(dir.c_str()) == 0) execl(probe.c_str(), probe.c_str(), "t.ini", (char*)nullptr);
        _exit(127);
    }
    close(pipeEnds[1]);
    FILE* output = fdopen(pipeEnds[0], "r");
    FirstFrame frame{};
    long resident = 0, peak = 0;
    if (std::fscanf(output, "%lf %ld %ld", &frame.Seconds, &resident, &peak) != 3) frame = {};
    std::fclose(output);
    waitpid(child, nullptr, 0);
    frame.ResidentMegabytes = resident / 1024.0;
    frame.PeakMegabytes = peak / 1024.0;
    return frame;
}

static double ParsedSeconds; // the mean of BM_StartParsed, for the ratio

// Starts the probe for every iteration, after prepare; sets the counters; answers the mean.
template <class Prepare>
static double measureStarts(benchmark::State& state, Prepare prepare)
{
    fs::path dir = dataDirectory();
    if (!prepareData(dir))
    {
        state.SkipWithError("the data could not be made");
        return 0;
    }
    if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    double total = 0;
    FirstFrame frame{};
    for (auto _ : state)
    {
        prepare(dir);
        frame = startProbe(dir);
        if (frame.Seconds <= 0) return state.SkipWithError("no first frame"), 0.0;
        state.SetIterationTime(frame.Seconds);
        total += frame.Seconds;
    }
    state.counters["resident_MB"] = frame.ResidentMegabytes;
    state.counters["peak_MB"] = frame.PeakMegabytes;
    std::error_code none;
    state.counters["snapshot_MB"] = (double)fs::file_size(dir / "mame.lst.cache", none) / 1e6;
    state.counters["list_MB"] = (double)fs::file_size(dir / "mame.lst", none) / 1e6;
    return total / (double)state.iterations();
}

static void BM_StartParsed(benchmark::State& state)
{
    ParsedSeconds =
        measureStarts(state, [](const fs::path& dir) { fs::remove(dir / "mame.lst.cache"); });
}
BENCHMARK(BM_StartParsed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

static void BM_StartFromSnapshot(benchmark::State& state)
{
    double seconds = measureStarts(state,
                                   [](const fs::path& dir)
                                   {
                                       if (!fs::exists(dir / "mame.lst.cache")) startProbe(dir);
                                   });
    if (ParsedSeconds > 0) state.counters["share_of_parsed"] = seconds / ParsedSeconds;
}
BENCHMARK(BM_StartFromSnapshot)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
