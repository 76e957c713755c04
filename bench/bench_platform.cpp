// The platform layer's drawing costs at 1920x1080. Run with SDL_VIDEODRIVER=x11 under a
// display to include the real present; the dummy driver measures filling and compositing.
#include "platform/testing.h"
#include "platform/window.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

static intptr_t plainProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    return platformDefaultWindowProc(window, kind, param1, param2);
}

static void startFullHd()
{
    testUseScreenSize(1920, 1080);
    startTestPlatform();
}

static void BM_FillComposeAndPresentFrame(benchmark::State& state)
{
    startFullHd();
    platformRegisterClass("BenchWndClass", plainProc);
    Window* window = platformCreateWindow("BenchWndClass", "", StylePopup, nullptr, DefaultPosition,
                                          DefaultPosition, DefaultPosition, DefaultPosition, 0);
    platformShowWindow(window, ShowMaximized);
    Surface* backBuffer = platformCreateSurface(1920, 1080);
    Color color = 0;
    for (auto _ : state)
    {
        platformFillRect(backBuffer, {0, 0, 1920, 1080}, color++);
        platformCopyRect(platformWindowSurface(window), 0, 0, 1920, 1080, backBuffer, 0, 0);
        platformPresent();
    }
    platformFreeSurface(backBuffer);
}
BENCHMARK(BM_FillComposeAndPresentFrame)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static void BM_DrawThirtyListLines(benchmark::State& state)
{
    startFullHd();
    Surface* surface = platformCreateSurface(1920, 1080);
    Font* font = platformCreateFont("Arial", 18, 0, 0);
    platformSelectFont(surface, font);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    platformSetTextColor(surface, 0x0000FF);
    int lineHeight = platformFontHeight(font);
    for (auto _ : state)
        for (int line = 0; line < 30; line++)
            platformDrawText(surface,
                             {40, 40 + line * lineHeight, 900, 40 + (line + 1) * lineHeight},
                             "Street Fighter II' - Champion Edition (World 920513)");
    platformFreeSurface(surface);
}
BENCHMARK(BM_DrawThirtyListLines)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static void BM_StretchPictureOverFullHd(benchmark::State& state)
{
    startFullHd();
    std::vector<uint32_t> picture(640 * 480);
    for (size_t i = 0; i < picture.size(); i++)
        picture[i] = 0xFF000000u | (uint32_t)(i * 2654435761u);
    Surface* surface = platformCreateSurface(1920, 1080);
    for (auto _ : state)
        platformStretchPicture(surface, {0, 0, 1920, 1080}, (const uint8_t*)picture.data(), 640,
                               480, 640 * 4, 1);
    platformFreeSurface(surface);
}
BENCHMARK(BM_StretchPictureOverFullHd)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static void BM_CreateFontThousandTimes(benchmark::State& state)
{
    startFullHd();
    platformCreateFont("Arial", 18, 0, 0);
    for (auto _ : state)
        for (int i = 0; i < 1000; i++)
            benchmark::DoNotOptimize(platformCreateFont("Arial", 18, 0, 0));
}
BENCHMARK(BM_CreateFontThousandTimes)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static long residentKilobytes()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r"))
    {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * 4;
}

static long openFiles()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
}

// A thousand changes of face, size and emphasis, as an owner trying fonts in the menu makes,
// each drawn once: what stays behind is counted in open files and resident kilobytes.
static void BM_ThousandFontChanges(benchmark::State& state)
{
    startFullHd();
    Surface* surface = platformCreateSurface(400, 100);
    std::vector<std::string> faces = platformListFonts();
    long files = openFiles(), resident = residentKilobytes();
    for (auto _ : state)
        for (int i = 0; i < 1000; i++)
        {
            const std::string& face = faces[i % faces.size()];
            platformSelectFont(surface, platformCreateFont(face.c_str(), 8 + i % 40, i % 2, 0));
            platformDrawText(surface, {0, 0, 400, 100}, "Street Fighter II");
        }
    state.counters["files_added"] = (double)(openFiles() - files);
    state.counters["resident_kB_added"] = (double)(residentKilobytes() - resident);
    platformFreeSurface(surface);
}
BENCHMARK(BM_ThousandFontChanges)->Unit(benchmark::kMillisecond)->Iterations(1);
