// From process start to the first frame on screen with a full MAME set: 45,000 machines in the
// new list format and a ROM folder of 40,000 files. "Parsed" deletes the list's snapshot before
// each start, so each start reads the XML and writes the snapshot; "FromSnapshot" starts from
// the snapshot; "WithCategories" starts from it too, with a category file of a full set's size
// (a line in [Category] and one in [VerAdded] per machine). Every start is a new process:
// start_probe, the real program stopped at its first frame. The counters give its resident and peak
// resident memory at that frame, the snapshot's size, and the snapshot start's time as a share of
// the parsed one.
//
// Each start is timed twice: with SDL's dummy driver, and on X at 1920x1080 (an Xvfb of the
// benchmark's own, without a window manager, as on a cabinet). "Exit" presses Escape at the
// first frame and times the press to the end of the process.
//
// The data is made once, by bench/gen_mamelist, into $TORVANELL_BENCH_DATA or
// /tmp/torvanell-bench-start.
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

static const std::string Binaries = TORVANELL_BINARY_DIR;
static const int RomFolderFiles = 40000;

static fs::path dataDirectory()
{
    const char* dir = std::getenv("TORVANELL_BENCH_DATA");
    return dir ? fs::path(dir) : fs::temp_directory_path() / "torvanell-bench-start";
}

// A configuration with the one MAME emulator, more lines in [Settings] and in [MAME].
static void writeConfig(const fs::path& dir, const char* name, const std::string& settings,
                        const std::string& mame)
{
    std::ofstream(dir / name) << "[Settings]\nEmulators=MAME\n"
                              << settings << "[MAME]\nRomPath=" << (dir / "roms").string()
                              << "\nDisplayClones=1\n"
                              << mame;
}

// The list, the ROM folder filled up to its size with sets the list does not name, and a
// configuration with the one MAME emulator.
static int prepareData(const fs::path& dir)
{
    if (fs::exists(dir / "mame.lst")) return 1;
    std::string generate = Binaries + "/bench/gen_mamelist " + dir.string() + " 45000 new";
    if (std::system(generate.c_str()) != 0) return 0;
    fs::rename(dir / "mame-new.lst", dir / "mame.lst");
    int files = (int)std::distance(fs::directory_iterator(dir / "roms"), fs::directory_iterator());
    for (int i = files; i < RomFolderFiles; i++)
        std::ofstream(dir / "roms" / ("other" + std::to_string(i) + ".zip"));
    writeConfig(dir, "t.ini", "", "");
    return 1;
}

// The machines' names, in the list's order.
static std::vector<std::string> machineNames(const fs::path& dir)
{
    std::ifstream list(dir / "mame.lst");
    std::string line;
    std::vector<std::string> names;
    const std::string start = "<machine name=\"";
    while (std::getline(list, line))
    {
        size_t at = line.find(start);
        if (at == std::string::npos) continue;
        at += start.size();
        names.push_back(line.substr(at, line.find('"', at) - at));
    }
    return names;
}

// The machines of the list, a category each from some sixty main ones (every ninth mature),
// and a configuration that names the file, the list's other settings as in t.ini.
static void prepareCategories(const fs::path& dir)
{
    if (fs::exists(dir / "tc.ini")) return;
    std::string categories = "[Category]\r\n", added = "[VerAdded]\r\n";
    int i = 0;
    for (const std::string& name : machineNames(dir))
    {
        categories += name + "=Main " + std::to_string(i % 61) + " / Sub " + std::to_string(i % 7) +
                      (i % 9 ? "" : " * Mature *") + "\r\n";
        added += name + "=0." + std::to_string(i++ % 280) + "\r\n";
    }
    std::ofstream(dir / "catver.ini") << categories << "\r\n" << added;
    writeConfig(dir, "tc.ini", "", "CategoryFile=catver.ini\nHiddenCategories=Main 3, Main 40\n");
}

// A players file with a line for five machines in six, the real file's mix of values, and the
// players at once counted, the cabinet's controls named.
static void preparePlayers(const fs::path& dir)
{
    if (fs::exists(dir / "tp.ini")) return;
    static const char* const Values[] = {"???",    "2P sim", "1P",
                                         "2P alt", "Device", "4P alt / 2P sim"};
    std::string players = ";; made up\r\n\r\n[NPlayers]\r\n";
    int i = 0;
    for (const std::string& name : machineNames(dir))
        if (++i % 6) players += name + "=" + Values[i % 6] + "\r\n";
    std::ofstream(dir / "nplayers.ini") << players;
    writeConfig(dir, "tp.ini", "CabinetControls=joy, only_buttons\n",
                "NPlayersFile=nplayers.ini\nPlayersAtOnce=1\n");
}

struct FirstFrame
{
    double Seconds;
    double ResidentMegabytes, PeakMegabytes;
    double ExitSeconds; // from Escape to the end of the process, when asked for
};

// The benchmark's own X server, started at the first need and ended with the benchmark.
static pid_t XServer;
static std::string XDisplay;

static void stopXServer()
{
    if (XServer > 0) kill(XServer, SIGTERM), waitpid(XServer, nullptr, 0);
}

static const char* xDisplay()
{
    if (XServer) return XDisplay.empty() ? nullptr : XDisplay.c_str();
    int ends[2];
    if (pipe(ends) != 0) return nullptr;
    XServer = fork();
    if (XServer == 0)
    {
        close(ends[0]);
        std::string fd = std::to_string(ends[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24",
               "-nolisten", "tcp", (char*)nullptr);
        _exit(127);
    }
    close(ends[1]);
    char number[16] = {};
    ssize_t got = XServer > 0 ? read(ends[0], number, sizeof number - 1) : 0;
    close(ends[0]);
    if (got > 0) XDisplay = ":" + std::to_string(std::atoi(number));
    std::atexit(stopXServer);
    return XDisplay.empty() ? nullptr : XDisplay.c_str();
}

// The drivers the starts are timed on.
enum Screen
{
    OnDummy,
    OnX
};

static int useScreen(Screen screen)
{
    if (screen == OnDummy)
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        return 1;
    }
    unsetenv("SDL_VIDEODRIVER");
    const char* display = xDisplay();
    if (display) setenv("DISPLAY", display, 1);
    return display != nullptr;
}

static long long steadyNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One start of the probe in dir; zero seconds when it did not reach a frame.
static FirstFrame startProbe(const fs::path& dir, const char* config = "t.ini")
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
        // What the program says of the made-up set (no skin, unknown sets) is the same each time.
        if (FILE* quiet = std::freopen("/dev/null", "w", stderr)) (void)quiet;
        if (chdir(dir.c_str()) == 0) execl(probe.c_str(), probe.c_str(), config, (char*)nullptr);
        _exit(127);
    }
    close(pipeEnds[1]);
    FILE* output = fdopen(pipeEnds[0], "r");
    FirstFrame frame{};
    long resident = 0, peak = 0;
    long long pressed = 0;
    int wanted = std::getenv("START_PROBE_EXIT") ? 4 : 3;
    if (std::fscanf(output, "%lf %ld %ld %lld", &frame.Seconds, &resident, &peak, &pressed) !=
        wanted)
        frame = {};
    int status = 0;
    waitpid(child, &status, 0);
    if (pressed) frame.ExitSeconds = (double)(steadyNanoseconds() - pressed) / 1e9;
    std::fclose(output);
    frame.ResidentMegabytes = resident / 1024.0;
    frame.PeakMegabytes = peak / 1024.0;
    return frame;
}

static double ParsedSeconds[2];   // the means of BM_StartParsed, for the ratio
static double SnapshotSeconds[2]; // and of BM_StartFromSnapshot, for the categories' cost

// Starts the probe for every iteration, after prepare; sets the counters; answers the mean.
template <class Prepare>
static double measureStarts(benchmark::State& state, Prepare prepare, const char* config = "t.ini")
{
    fs::path dir = dataDirectory();
    if (!prepareData(dir))
    {
        state.SkipWithError("the data could not be made");
        return 0;
    }
    if (!useScreen((Screen)state.range(0)))
    {
        state.SkipWithError("no Xvfb to start");
        return 0;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    double total = 0;
    FirstFrame frame{};
    for (auto _ : state)
    {
        prepare(dir);
        frame = startProbe(dir, config);
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

// Each benchmark once per screen; the iterations are timed by the benchmark itself.
static void onBothScreens(benchmark::internal::Benchmark* run)
{
    run->ArgName("x11")->Arg(OnDummy)->Arg(OnX)->UseManualTime()->Unit(benchmark::kMillisecond);
}

// One start makes the snapshot, or makes it again when another build of the program wrote it
// (a snapshot names the build that read the list): the starts timed then all read it.
static void makeSnapshot(const fs::path& dir)
{
    static bool made = false; // by this run's build
    if (made && fs::exists(dir / "mame.lst.cache")) return;
    startProbe(dir);
    made = true;
}

static void BM_StartParsed(benchmark::State& state)
{
    ParsedSeconds[state.range(0)] =
        measureStarts(state, [](const fs::path& dir) { fs::remove(dir / "mame.lst.cache"); });
}
BENCHMARK(BM_StartParsed)->Apply(onBothScreens)->Iterations(3);

static void BM_StartFromSnapshot(benchmark::State& state)
{
    double seconds = measureStarts(state, makeSnapshot);
    SnapshotSeconds[state.range(0)] = seconds;
    double parsed = ParsedSeconds[state.range(0)];
    if (parsed > 0) state.counters["share_of_parsed"] = seconds / parsed;
}
BENCHMARK(BM_StartFromSnapshot)->Apply(onBothScreens)->Iterations(10);

// A start from the snapshot with a file made by prepare named in config; the counter gives its
// cost against the plain start's.
template <typename Prepare>
static void measureWithFile(benchmark::State& state, Prepare prepareFile, const char* config,
                            const char* counter)
{
    auto prepare = [prepareFile](const fs::path& dir)
    {
        makeSnapshot(dir);
        prepareFile(dir);
    };
    double seconds = measureStarts(state, prepare, config);
    double plain = SnapshotSeconds[state.range(0)];
    if (plain > 0) state.counters[counter] = (seconds - plain) * 1000;
}

static void BM_StartFromSnapshotWithCategories(benchmark::State& state)
{
    measureWithFile(state, prepareCategories, "tc.ini", "categories_ms");
}
BENCHMARK(BM_StartFromSnapshotWithCategories)->Apply(onBothScreens)->Iterations(10);

static void BM_StartFromSnapshotWithPlayers(benchmark::State& state)
{
    measureWithFile(state, preparePlayers, "tp.ini", "players_ms");
}
BENCHMARK(BM_StartFromSnapshotWithPlayers)->Apply(onBothScreens)->Iterations(10);

// The time is the one from Escape, pressed at the first frame, to the end of the process.
static void BM_ExitFromSnapshot(benchmark::State& state)
{
    fs::path dir = dataDirectory();
    if (!prepareData(dir) || !useScreen((Screen)state.range(0)))
        return state.SkipWithError("no data or no Xvfb");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    makeSnapshot(dir);
    setenv("START_PROBE_EXIT", "1", 1);
    for (auto _ : state)
    {
        FirstFrame frame = startProbe(dir);
        if (frame.ExitSeconds <= 0)
            return unsetenv("START_PROBE_EXIT"), state.SkipWithError("no exit");
        state.SetIterationTime(frame.ExitSeconds);
    }
    unsetenv("START_PROBE_EXIT");
}
BENCHMARK(BM_ExitFromSnapshot)->Apply(onBothScreens)->Iterations(10);
