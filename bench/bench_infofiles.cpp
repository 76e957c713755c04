// The history file as the community publishes it: a made-up history.xml of 40,000 entries and
// 30 MB (the current one's size), and the same stories as a history.dat. Measured: building the
// index (the first start after the file changed), opening the index kept beside the file (every
// later start), and opening one game's page (the file checked again, its entry read and parsed),
// with its 99th percentile over a thousand games picked at random.
#include "catalogue/historyfile.h"
#include "config/settings.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>

static const int EntryCount = 40000;

static std::string storyText(std::mt19937& random)
{
    static const char* const Words[] = {"the",
                                        "game",
                                        "player",
                                        "released",
                                        "arcade",
                                        "Japan",
                                        "stage",
                                        "boss",
                                        "&amp;",
                                        "sequel",
                                        "cabinet",
                                        "Ren\xC3\xA9"
                                        "e"};
    std::string text = "\n";
    size_t length = 400 + random() % 700;
    while (text.size() < length)
    {
        text += Words[random() % (sizeof Words / sizeof Words[0])];
        text += random() % 12 ? " " : ".\n\n- TRIVIA -\n\n";
    }
    return text + "\n";
}

static std::string machineName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "m%05d", i);
    return name;
}

// Writes both forms once, in the system's temporary folder; answers the folder.
static const std::filesystem::path& historyFiles()
{
    static std::filesystem::path folder;
    if (!folder.empty()) return folder;
    folder = std::filesystem::temp_directory_path() / "torvanell-bench-history";
    std::filesystem::create_directories(folder);
    std::ofstream xml(folder / "history.xml", std::ios::binary);
    std::ofstream dat(folder / "history.dat", std::ios::binary);
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<history version=\"bench\">\n";
    std::mt19937 random(7);
    for (int i = 0; i < EntryCount; i++)
    {
        std::string text = storyText(random), name = machineName(i), clone = name + "a";
        xml << "\t<entry>\n\t\t<systems>\n\t\t\t<system name=\"" << name
            << "\" />\n\t\t\t<system name=\"" << clone << "\" />\n\t\t</systems>\n\t\t<text>"
            << text << "</text>\n\t</entry>\n";
        dat << "$info=" << name << "," << clone << ",\n$bio\n" << text << "$end\n\n";
    }
    xml << "</history>\n";
    return folder;
}

static void useFile(const char* name)
{
    FrontendSettings.HistoryFile = (historyFiles() / name).string();
}

static void indexBuild(benchmark::State& state, const char* name)
{
    useFile(name);
    for (auto _ : state)
    {
        state.PauseTiming();
        closeFileIndex(HistoryIndex);
        std::filesystem::remove(indexPath(FrontendSettings.HistoryFile));
        state.ResumeTiming();
        openHistoryFile();
    }
    state.counters["MB"] = (double)std::filesystem::file_size(FrontendSettings.HistoryFile) / 1e6;
    state.counters["names"] = (double)HistoryIndex.Records.size();
    state.counters["index_KB"] =
        (double)(HistoryIndex.Records.size() * sizeof(IndexRecord) + HistoryIndex.Names.size()) /
        1024;
}

static void BM_IndexBuildXml(benchmark::State& state)
{
    indexBuild(state, "history.xml");
}
BENCHMARK(BM_IndexBuildXml)->Unit(benchmark::kMillisecond)->Iterations(3);

static void BM_IndexBuildDat(benchmark::State& state)
{
    indexBuild(state, "history.dat");
}
BENCHMARK(BM_IndexBuildDat)->Unit(benchmark::kMillisecond)->Iterations(3);

// A history.dat of one line of 200 MB after its first entry (a partial download, say): building
// its index takes a read of the file and a page's memory for the line, not the line's. (A file
// past 256 MB is refused before it is read.)
static void BM_IndexBuildOfALineOf200MB(benchmark::State& state)
{
    std::filesystem::path path = historyFiles() / "one-line.dat";
    if (!std::filesystem::exists(path))
    {
        std::ofstream dat(path, std::ios::binary);
        dat << "$info=first\n$bio\nfirst\n$end\n$info=long\n$bio\n";
        std::string block(1 << 20, 'x');
        for (int i = 0; i < 200; i++) dat << block;
        dat << "\n$end\n$info=after\n$bio\nafter\n$end\n";
    }
    FrontendSettings.HistoryFile = path.string();
    indexBuild(state, "one-line.dat");
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = (double)usage.ru_maxrss / 1024;
}
BENCHMARK(BM_IndexBuildOfALineOf200MB)->Unit(benchmark::kMillisecond)->Iterations(1);

// What a start costs with the index beside the file: checking the file and reading the index.
static void BM_StartWithIndex(benchmark::State& state)
{
    useFile("history.xml");
    openHistoryFile(); // the index exists from here on
    for (auto _ : state)
    {
        closeFileIndex(HistoryIndex);
        openHistoryFile();
    }
}
BENCHMARK(BM_StartWithIndex)->Unit(benchmark::kMillisecond);

static void pageOpen(benchmark::State& state, const char* name)
{
    useFile(name);
    openHistoryFile();
    std::mt19937 random(3);
    std::vector<double> times;
    size_t lines = 0;
    for (auto _ : state)
    {
        auto start = std::chrono::steady_clock::now();
        openHistoryFile();
        lines += readHistoryLines(machineName((int)(random() % EntryCount)) + "a").size();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    state.counters["p99_ms"] = times[times.size() * 99 / 100];
    state.counters["lines"] = (double)lines / (double)times.size();
}

static void BM_PageOpenXml(benchmark::State& state)
{
    pageOpen(state, "history.xml");
}
BENCHMARK(BM_PageOpenXml)->Unit(benchmark::kMicrosecond)->Iterations(1000);

static void BM_PageOpenDat(benchmark::State& state)
{
    pageOpen(state, "history.dat");
}
BENCHMARK(BM_PageOpenDat)->Unit(benchmark::kMicrosecond)->Iterations(1000);
