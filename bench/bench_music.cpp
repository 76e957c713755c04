// Music between games: a 320 kbit/s MP3 played for ten seconds on the mixer's own thread (SDL's
// dummy device, which takes the sound at the pace a sound card would), with the main thread
// ticking as the front end's does. Reports the process's processor time in per cent of one
// core and the resident memory the music added. Needs the ffmpeg program to make the MP3.
#include "config/settings.h"
#include "platform/clock.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "runtime/music.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;

static double processorSeconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (double)usage.ru_utime.tv_sec + (double)usage.ru_stime.tv_sec +
           ((double)usage.ru_utime.tv_usec + (double)usage.ru_stime.tv_usec) / 1e6;
}

static double residentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r"))
    {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return (double)resident * 4096 / (1 << 20);
}

// A folder with one three-minute MP3 at 320 kbit/s; empty when it cannot be made.
static std::string makeMusicFolder()
{
    fs::path folder = fs::temp_directory_path() / "torvanell-bench-music";
    fs::create_directories(folder);
    fs::path track = folder / "track.mp3";
    std::string command = "ffmpeg -loglevel error -y -f lavfi -i 'sine=frequency=440:duration=180' "
                          "-f lavfi -i 'anoisesrc=duration=180:amplitude=0.2' -filter_complex "
                          "amix=inputs=2 -ac 2 -ar 44100 -b:a 320k '" +
                          track.string() + "'";
    if (!fs::exists(track) && std::system(command.c_str()) != 0) return "";
    return folder.string();
}

static void BM_MusicPlaying(benchmark::State& state)
{
    std::string folder = makeMusicFolder();
    if (folder.empty())
    {
        state.SkipWithError("ffmpeg could not make the MP3");
        return;
    }
    startTestPlatform();
    testUseRealClock();
    FrontendSettings.MusicFolder = folder;
    FrontendSettings.MusicVolume = 60;
    const int seconds = 10;
    for (auto _ : state)
    {
        double memoryBefore = residentMegabytes();
        double processorBefore = processorSeconds();
        auto start = std::chrono::steady_clock::now();
        startMusic();
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds))
        {
            musicStep();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["core_percent"] = (processorSeconds() - processorBefore) / wall * 100;
        state.counters["added_MB"] = residentMegabytes() - memoryBefore;
        state.counters["playing"] = !musicTitle().empty();
        stopMusic();
    }
    platformStop();
}
BENCHMARK(BM_MusicPlaying)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
