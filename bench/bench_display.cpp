// The main screen's redraw at 1920x1080 with a 1920x1080 back.png and 640x480 artwork (PNG
// screenshots and marquees, JPEG flyers): the list view and a 3x4 image browser, cold (every
// game visited the first time, nothing decoded yet) and warm (a held key over games already
// seen). Each redraw is timed on its own; the counters give the median, the 99th percentile
// and the picture cache's memory. bench_platform's BM_FillComposeAndPresentFrame is the
// floor under any redraw.
// The ...AfterIdle cases give the program one tick of idle time after each redraw, as a
// player who moves once and looks: the decoding ahead runs in it, and the next move is timed.
// The ...Shown cases time what a move costs up to the screen: the redraw, the copy into the
// main window and the present, upright and turned 90 degrees (the layout then 1080x1920).
// The ...WithMarquee cases add a 1280x360 marquee screen: each move also runs its step, and in
// the idle time after a move the selection rests and the marquee screen's picture is drawn
// (marquee_ms), sharing the picture cache with the main screen.
#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/frontend.h"
#include "core/marquee.h"
#include "display/artwork.h"
#include "display/layout.h"
#include "display/mainscreen.h"
#include "display/picturecache.h"
#include "display/prefetch.h"
#include "display/videoplayer.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <FreeImage.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

const int GameCount = 120;
const int WarmGames = 24; // their 72 pictures fit the default budget
const fs::path Data = fs::temp_directory_path() / "torvanell-bench-display";

// A picture with detail in it, so that it compresses and decodes like real artwork.
static void savePicture(const fs::path& path, int width, int height, int seed, int jpeg)
{
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; y++)
    {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < width; x++)
        {
            uint32_t noise = (uint32_t)(x * 2654435761u ^ y * 40503u ^ seed * 97u);
            row[x * 3 + 0] = (BYTE)((x + seed * 7) ^ (noise >> 28));
            row[x * 3 + 1] = (BYTE)((y * 2 + seed) ^ (noise >> 29));
            row[x * 3 + 2] = (BYTE)(((x ^ y) + seed * 13) & 0xFF);
        }
    }
    FreeImage_Save(jpeg ? FIF_JPEG : FIF_PNG, bitmap, path.c_str(), jpeg ? JPEG_QUALITYGOOD : 0);
    FreeImage_Unload(bitmap);
}

static std::string gameName(int i)
{
    return "game" + std::to_string(1000 + i);
}

// Written once; the folders' times then settle, as they would on a cabinet.
static void writeArtwork()
{
    if (fs::exists(Data / "done")) return;
    for (const char* folder : {"snap", "flyers", "marquees", "skins/Bench"})
        fs::create_directories(Data / folder);
    savePicture(Data / "skins/Bench/back.png", 1920, 1080, 0, 0);
    for (int i = 0; i < GameCount; i++)
    {
        savePicture(Data / "snap" / (gameName(i) + ".png"), 640, 480, i, 0);
        savePicture(Data / "flyers" / (gameName(i) + ".jpg"), 640, 480, i + 1, 1);
        savePicture(Data / "marquees" / (gameName(i) + ".png"), 640, 480, i + 2, 0);
    }
    fs::create_directories(Data / "done");
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
}

static void setUp(ViewMode menuType, int rotation = 0)
{
    testUseScreenSize(1920, 1080);
    startTestPlatform();
    platformSetRotation(rotation);
    writeArtwork();
    fs::current_path(Data);
    freeCatalogue();
    freeEmulators();
    Emulator* emulator = EmulatorTable.emplace_back(std::make_unique<Emulator>()).get();
    emulator->Name = "MAME";
    emulator->Snaps = "snap";
    emulator->Flyers = "flyers";
    emulator->Marquees = "marquees";
    for (int i = 0; i < GameCount; i++)
    {
        std::unique_ptr<Game> owned = newGame(0);
        owned->Name = gameName(i);
        owned->Description = "Street Fighter II' - Champion Edition (World 920513) #" + owned->Name;
        VisibleGames.push_back(appendGame(std::move(owned)));
    }
    FrontendSettings.SkinDir = "skins";
    FrontendSettings.SkinName = "Bench";
    FrontendSettings.MenuType = menuType;
    FrontendState.CurrentEmulator = -1;
    loadSkin();
    loadBackgroundImage();
    Skin.Fontface = "Arial";
    Skin.ScreenshotStartX = 1000, Skin.ScreenshotStartY = 40;
    Skin.ScreenshotWidth = 640, Skin.ScreenshotHeight = 480;
    Skin.FlyerStartX = 1000, Skin.FlyerStartY = 560, Skin.FlyerWidth = 300, Skin.FlyerHeight = 420;
    Skin.MarqueeStartX = 1340, Skin.MarqueeStartY = 560;
    Skin.MarqueeWidth = 540, Skin.MarqueeHeight = 180;
    Skin.ListStartX = 40, Skin.ListStartY = 40;
    Skin.ListWidth = menuType == ViewImageBrowser ? 230 : 950,
    Skin.ListHeight = menuType == ViewImageBrowser ? 170 : 1000;
    Skin.ListRows = 4, Skin.ListColumns = 3, Skin.PreviewSpacer = 8;
    // Laid out for 1920x1080: upright the places are as given, turned they are scaled.
    Skin.DesignWidth = 1920, Skin.DesignHeight = 1080;
    ScreenLayout.ListTop = 0;
    forgetPictures();
    forgetPrefetch();
}

static double percentile(std::vector<double> times, double fraction)
{
    std::sort(times.begin(), times.end());
    return times[std::min(times.size() - 1, (size_t)(fraction * (double)times.size()))];
}

static double timeRedraw(Surface* backBuffer, int game)
{
    FrontendState.CurrentGame = game;
    auto start = std::chrono::steady_clock::now();
    drawMainScreen(backBuffer);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Cold: one pass over every game from an empty cache. Warm: passes over the first games,
// as a key held down over a part of the list already seen.
static void redraws(benchmark::State& state, ViewMode menuType, int warm)
{
    setUp(menuType);
    Surface* backBuffer = platformCreateSurface(1920, 1080);
    std::vector<double> times;
    for (auto _ : state)
    {
        forgetPictures();
        for (int i = 0; i < (warm ? WarmGames : GameCount); i++)
        {
            double time = timeRedraw(backBuffer, i);
            if (!warm) times.push_back(time);
        }
        for (int pass = 0; warm && pass < 10; pass++)
            for (int i = 0; i < WarmGames; i++) times.push_back(timeRedraw(backBuffer, i));
    }
    state.counters["median_ms"] = percentile(times, 0.5);
    state.counters["p99_ms"] = percentile(times, 0.99);
    state.counters["cache_MB"] = (double)PictureCache.Bytes / (1024.0 * 1024.0);
    state.counters["pictures"] = PictureCache.Pictures;
    platformFreeSurface(backBuffer);
    freeArtwork();
}

static void BM_ListViewCold(benchmark::State& state)
{
    redraws(state, ViewList, 0);
}
static void BM_ListViewWarm(benchmark::State& state)
{
    redraws(state, ViewList, 1);
}
static void BM_ImageBrowserCold(benchmark::State& state)
{
    redraws(state, ViewImageBrowser, 0);
}
static void BM_ImageBrowserWarm(benchmark::State& state)
{
    redraws(state, ViewImageBrowser, 1);
}
static double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// What the main loop does between ticks: decode ahead until the tick is due.
static void idleRestOfTick(double redrawMs)
{
    auto start = std::chrono::steady_clock::now();
    double idleMs = 100 - redrawMs;
    while (true)
    {
        int left = (int)(idleMs - millisecondsSince(start));
        if (left <= 0) break;
        if (!prefetchStep(left)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Moves over every game from an empty cache (afterIdle: a tick of idle time after each), or
// held-key passes over the first games; each move timed up to the screen.
static void shownMoves(benchmark::State& state, ViewMode menuType, int rotation, int afterIdle,
                       int marquee = 0)
{
    setUp(menuType, rotation);
    std::vector<double> marqueeTimes;
    if (marquee)
    {
        testPretendDisplays(2, 1280, 360);
        FrontendSettings.MarqueeDisplay = 1;
        startMarqueeScreen();
    }
    platformRegisterClass("BenchWndClass", platformDefaultWindowProc);
    Window* main = platformCreateWindow("BenchWndClass", "", StylePopup, nullptr, 0, 0, 1, 1, 0);
    platformShowWindow(main, ShowMaximized);
    Rect screen = platformScreenRect();
    Surface* backBuffer = platformCreateSurface(screen.Right, screen.Bottom);
    std::vector<double> times;
    auto move = [&](int game)
    {
        auto start = std::chrono::steady_clock::now();
        timeRedraw(backBuffer, game);
        platformCopyRect(platformWindowSurface(main), 0, 0, screen.Right, screen.Bottom, backBuffer,
                         0, 0);
        platformPresent();
        if (marquee) marqueeStep(0);
        return millisecondsSince(start);
    };
    auto rest = [&]
    {
        if (!marquee) return;
        auto start = std::chrono::steady_clock::now();
        marqueeStep(marqueeRestMs());
        marqueeTimes.push_back(millisecondsSince(start));
    };
    for (auto _ : state)
    {
        forgetPictures();
        forgetPrefetch();
        for (int i = 0; i < (afterIdle ? GameCount : WarmGames); i++)
        {
            double time = move(i);
            if (afterIdle) times.push_back(time), rest(), idleRestOfTick(time);
        }
        for (int pass = 0; !afterIdle && pass < 10; pass++)
            for (int i = 0; i < WarmGames; i++) times.push_back(move(i));
    }
    state.counters["median_ms"] = percentile(times, 0.5);
    state.counters["p99_ms"] = percentile(times, 0.99);
    state.counters["cache_MB"] = (double)PictureCache.Bytes / (1024.0 * 1024.0);
    if (!marqueeTimes.empty()) state.counters["marquee_ms"] = percentile(marqueeTimes, 0.5);
    stopMarqueeScreen();
    testPretendDisplays(-1, 0, 0);
    FrontendSettings.MarqueeDisplay = -1;
    platformFreeSurface(backBuffer);
    platformDestroyWindow(main);
    freeArtwork();
    forgetPrefetch();
}

// ---- Videos ----
// A 640x480 H.264 video at 30 frames a second (ffmpeg's moving test picture), the same file
// for every game, played in the 640x480 screenshot box at 1920x1080 on the real clock. The
// main loop is played out: a tick every 100 ms, and between ticks the video's steps and the
// decoding ahead, each move shown up to the screen.
static void writeVideos()
{
    if (fs::exists(Data / "videos/done")) return;
    fs::create_directories(Data / "videos");
    std::string command =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
        "testsrc2=size=640x480:rate=30:duration=20 -pix_fmt yuv420p -c:v libx264 '" +
        (Data / "videos/video.mp4").string() + "'";
    if (std::system(command.c_str()) != 0) return;
    for (int i = 0; i < GameCount; i++)
        fs::create_symlink("video.mp4", Data / "videos" / (gameName(i) + ".mp4"));
    fs::create_directories(Data / "videos/done");
}

struct VideoBench
{
    Window* Main;
    Surface* BackBuffer;
    Rect Screen;
};

static VideoBench startVideoBench(int delay)
{
    setUp(ViewList);
    writeVideos();
    testUseRealClock();
    EmulatorTable[0]->Videos = "videos";
    FrontendSettings.VideoDelay = delay;
    FrontendSettings.VideoSound = 0;
    platformRegisterClass("BenchWndClass", platformDefaultWindowProc);
    VideoBench bench;
    bench.Main = platformCreateWindow("BenchWndClass", "", StylePopup, nullptr, 0, 0, 1, 1, 0);
    platformShowWindow(bench.Main, ShowMaximized);
    bench.Screen = platformScreenRect();
    bench.BackBuffer = platformCreateSurface(bench.Screen.Right, bench.Screen.Bottom);
    FrontendState.BackBuffer = bench.BackBuffer;
    FrontendState.MainWindow = bench.Main;
    return bench;
}

static void endVideoBench(VideoBench& bench)
{
    shutDownVideo();
    FrontendState.BackBuffer = nullptr;
    FrontendState.MainWindow = nullptr;
    platformFreeSurface(bench.BackBuffer);
    platformDestroyWindow(bench.Main);
    freeArtwork();
    forgetPrefetch();
}

// The back buffer to the screen, as the main window's paint does.
static void showBackBuffer(VideoBench& bench)
{
    platformCopyRect(platformWindowSurface(bench.Main), 0, 0, bench.Screen.Right,
                     bench.Screen.Bottom, bench.BackBuffer, 0, 0);
    platformPresent();
}

// Between ticks for the rest of one: video frames at their times, pictures decoded ahead.
static void videoRestOfTick(VideoBench& bench, double usedMs)
{
    auto start = std::chrono::steady_clock::now();
    while (true)
    {
        int left = (int)(100 - usedMs - millisecondsSince(start));
        if (left <= 0) break;
        VideoStep step = videoStep();
        if (step == VideoDrew) showBackBuffer(bench);
        if (step != VideoIdle) continue;
        if (!prefetchStep(std::min(left, videoMillisecondsToNextFrame())))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A key held over games whose videos start (after a short rest) and stop under it: every
// fourth tick moves; the move is timed up to the screen.
static void BM_HeldKeyWhileVideosStartAndStop(benchmark::State& state)
{
    VideoBench bench = startVideoBench(150);
    std::vector<double> times;
    for (auto _ : state)
        for (int i = 0; i < GameCount; i++)
        {
            auto start = std::chrono::steady_clock::now();
            FrontendState.CurrentGame = i;
            drawMainScreen(bench.BackBuffer);
            showBackBuffer(bench);
            double used = millisecondsSince(start);
            times.push_back(used);
            videoRestOfTick(bench, used);
            for (int rest = 0; rest < 3; rest++) videoRestOfTick(bench, 0);
        }
    state.counters["median_ms"] = percentile(times, 0.5);
    state.counters["p99_ms"] = percentile(times, 0.99);
    state.counters["videos_started"] = (double)GameCount;
    state.counters["frames_shown"] = (double)VideoPlayer.FramesShown;
    endVideoBench(bench);
}

static double processCpuSeconds()
{
    return (double)std::clock() / CLOCKS_PER_SEC; // every thread of the process
}

// One video played for ten seconds in its box, a redraw of the list every second as the
// status of a real screen would: how late its frames are shown, and the processor time the
// whole program takes, its decoder's thread included.
static void BM_VideoPlaysOnTime(benchmark::State& state)
{
    VideoBench bench = startVideoBench(1);
    double cpu = 0, wall = 0;
    for (auto _ : state)
    {
        FrontendState.CurrentGame = 0;
        drawMainScreen(bench.BackBuffer);
        showBackBuffer(bench);
        double cpuStart = processCpuSeconds();
        auto start = std::chrono::steady_clock::now();
        for (int tick = 0; tick < 100; tick++)
        {
            auto tickStart = std::chrono::steady_clock::now();
            if (tick % 10 == 0) drawMainScreen(bench.BackBuffer), showBackBuffer(bench);
            videoRestOfTick(bench, millisecondsSince(tickStart));
        }
        cpu += processCpuSeconds() - cpuStart;
        wall += millisecondsSince(start) / 1000;
    }
    state.counters["frames_shown"] = (double)VideoPlayer.FramesShown;
    state.counters["frames_late_10ms"] = (double)VideoPlayer.FramesLate;
    state.counters["frames_dropped"] = (double)VideoPlayer.FramesDropped;
    state.counters["worst_late_ms"] = (double)VideoPlayer.WorstLateness;
    state.counters["cpu_pct_of_core"] = 100 * cpu / wall;
    endVideoBench(bench);
}

// A folder of 100,000 videos (empty files: only their names are read): the first lookup lists
// the folder, the later ones find a game's video among the names kept.
static void BM_FindVideoAmong100000(benchmark::State& state)
{
    const int Count = 100000;
    fs::path folder = Data / "many-videos";
    if (!fs::exists(folder / "done"))
    {
        fs::create_directories(folder);
        for (int i = 0; i < Count; i++)
            std::ofstream(folder / ("video" + std::to_string(i) + ".mp4"));
        fs::create_directories(folder / "done");
        std::this_thread::sleep_for(std::chrono::milliseconds(2100)); // the folder settles
    }
    setUp(ViewList);
    EmulatorTable[0]->Videos = folder.string();
    std::unique_ptr<Game> owned = newGame(0); // its name changes: never in the catalogue
    Game* game = owned.get();
    std::string path;
    double first = 0, later = 0;
    int lookups = 0;
    for (auto _ : state)
    {
        forgetPictures();
        game->Name = "video0";
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(findGameVideo(game, path));
        first = millisecondsSince(start);
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < 1000; i++, lookups++)
        {
            game->Name = "video" + std::to_string(i * 97 % (Count * 2)); // half of them missing
            benchmark::DoNotOptimize(findGameVideo(game, path));
        }
        later += millisecondsSince(start);
    }
    state.counters["listing_ms"] = first;
    state.counters["lookup_us"] = 1000 * later / lookups;
    freeArtwork();
}

BENCHMARK(BM_FindVideoAmong100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HeldKeyWhileVideosStartAndStop)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_VideoPlaysOnTime)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ListViewCold)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ListViewWarm)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImageBrowserCold)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImageBrowserWarm)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(shownMoves, ListViewColdAfterIdle, ViewList, 0, 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(shownMoves, ListViewColdAfterIdleWithMarquee, ViewList, 0, 1, 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(shownMoves, ImageBrowserColdAfterIdle, ViewImageBrowser, 0, 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(shownMoves, ListViewWarmShown, ViewList, 0, 0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(shownMoves, ListViewWarmShownWithMarquee, ViewList, 0, 0, 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(shownMoves, ImageBrowserWarmShown, ViewImageBrowser, 0, 0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(shownMoves, ListViewWarmShownTurned90, ViewList, 90, 0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(shownMoves, ImageBrowserWarmShownTurned90, ViewImageBrowser, 90, 0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
