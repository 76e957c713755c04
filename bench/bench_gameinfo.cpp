// Word wrapping of the game-information window, which runs when the window opens: an
// information text of 2,000 lines shaped like a mameinfo.dat entry (mostly short lines, some
// paragraphs of hundreds to two thousand characters), one line of a megabyte of words and one
// megabyte-long word, in the window a 1920 x 1080 or 1024 x 768 main window gives with the
// default border of 20 %, in an 18-point font.
#include "display/text.h"
#include "display/wordwrap.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "popups/gameinfo.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

static const char* const Words[] = {"the",     "game",      "player",   "released", "arcade",
                                    "version", "Japan",     "points",   "stage",    "boss",
                                    "bonus",   "a",         "of",       "to",       "and",
                                    "in",      "enemies",   "weapon",   "upgrade",  "scrolling",
                                    "shooter", "sequel",    "original", "level",    "cabinet",
                                    "board",   "sound",     "Nintendo", "Konami",   "Capcom",
                                    "(1987)",  "0.162:",    "emulated", "driver",   "added",
                                    "fixed",   "graphics,", "colours",  "ROM",      "dump."};
const size_t WordCount = sizeof Words / sizeof Words[0];

// One line of about length characters.
static std::string sentence(std::mt19937& random, size_t length)
{
    std::string line;
    while (line.size() < length)
    {
        if (!line.empty()) line += ' ';
        line += Words[random() % WordCount];
    }
    return line;
}

static std::vector<std::string> informationText(int lineCount)
{
    std::mt19937 random(1);
    std::vector<std::string> lines;
    for (int i = 0; i < lineCount; i++)
    {
        int kind = (int)(random() % 100);
        size_t length = kind < 15   ? 0                       // blank line between parts
                        : kind < 50 ? 5 + random() % 35       // headings, WIP entries
                        : kind < 75 ? 40 + random() % 60      // ordinary text
                        : kind < 90 ? 100 + random() % 200    // short paragraphs
                        : kind < 98 ? 300 + random() % 700    // paragraphs
                                    : 1000 + random() % 1000; // the longest lines of a file
        lines.push_back(sentence(random, length));
    }
    return lines;
}

// The scroll window the main window's size gives, and a surface with the 18-point font.
struct WrapSetup
{
    Window* ScrollWindow;
    Surface* Text;
    int Width; // the scroll window's text width
};

static WrapSetup setUp(int screenWidth, int screenHeight)
{
    testUseScreenSize(screenWidth, screenHeight);
    startTestPlatform();
    platformRegisterClass("BenchWndClass", platformDefaultWindowProc);
    int x = screenWidth * 20 / 100, y = screenHeight * 20 / 100;
    Window* window = platformCreateWindow("BenchWndClass", "", StyleSizingFrame, nullptr, x, y,
                                          screenWidth - 2 * x, screenHeight - 2 * y, 0);
    Surface* surface = platformCreateSurface(8, 8);
    createFont(surface, "Arial", 18, 0);
    return {window, surface, screenWidth - 2 * x - 2 * ScrollTextMargin};
}

static void wrapText(benchmark::State& state, const std::vector<std::string>& lines)
{
    WrapSetup setup = setUp((int)state.range(0), (int)state.range(1));
    size_t wrapped = 0, bytes = 0;
    for (const std::string& line : lines) bytes += line.size();
    for (auto _ : state)
    {
        std::vector<std::string> result = wordWrapText(setup.Text, setup.Width, lines);
        wrapped = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["wrapped_lines"] = (double)wrapped;
    state.SetBytesProcessed((int64_t)(bytes * state.iterations()));
    platformFreeSurface(setup.Text);
    platformStop();
}

static void BM_WrapInformationText(benchmark::State& state)
{
    wrapText(state, informationText(2000));
}

static void BM_WrapMegabyteLine(benchmark::State& state)
{
    std::mt19937 random(2);
    wrapText(state, {sentence(random, 1 << 20)});
}

// No white space at all: every piece ends after the last character that fits.
static void BM_WrapMegabyteWord(benchmark::State& state)
{
    std::string word;
    while (word.size() < (1u << 20)) word += Words[word.size() % WordCount];
    wrapText(state, {word});
}

BENCHMARK(BM_WrapInformationText)
    ->Args({1920, 1080})
    ->Args({1024, 768})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapMegabyteLine)->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapMegabyteWord)->Args({1920, 1080})->Unit(benchmark::kMillisecond);
