// The catalogue at the size of a full MAME set: availability against a ROM folder, the filter
// pass, the sort, ROM discovery, the category file, and the orders by play history.
#include "catalogue/categories.h"
#include "catalogue/emulators.h"
#include "catalogue/filters.h"
#include "catalogue/history.h"
#include "catalogue/players.h"
#include "catalogue/romscan.h"
#include "config/settings.h"
#include "core/frontend.h"
#include "platform/files.h"
#include "runtime/state.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

static const int GameCount = 45000;
static const int ZipCount = 40000;
static const int RomFileCount = 20000;

// The folders of one run, removed when the program ends.
struct BenchFolders
{
    std::vector<fs::path> Paths;
    ~BenchFolders()
    {
        std::error_code ignored;
        for (const fs::path& path : Paths) fs::remove_all(path, ignored);
    }
};
static BenchFolders Folders;

static fs::path folderWithFiles(const char* name, int count, const char* extension)
{
    fs::path dir = fs::temp_directory_path() / ("torvanell-bench-catalogue-" + std::string(name));
    fs::remove_all(dir);
    Folders.Paths.push_back(dir);
    fs::create_directories(dir);
    char file[64];
    for (int i = 0; i < count; i++)
    {
        snprintf(file, sizeof file, "game%05d (U) [!].%s", i, extension);
        std::ofstream(dir / file, std::ios::binary);
    }
    return dir;
}

static std::string randomText(std::mt19937& random)
{
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz 0123456789";
    std::string text(8 + random() % 30, ' ');
    for (char& c : text) c = Letters[random() % (sizeof Letters - 1)];
    return text;
}

// A MAME emulator with default filters and GameCount games of mixed kinds; zip names match
// the first ZipCount games.
static void buildMameCatalogue(const std::string& romPath)
{
    freeCatalogue();
    freeEmulators();
    Emulator* mame = EmulatorTable.emplace_back(std::make_unique<Emulator>()).get();
    mame->Name = "MAME";
    mame->Kind = EmulatorMame;
    mame->IncludeInAll = 1;
    mame->RomPath = romPath;
    mame->MachineFilter = std::make_unique<MameFilter>();
    for (const MameFilterKey& key : MameFilterKeys)
        setMameFilterValue(*mame->MachineFilter, key, key.Default);
    std::mt19937 random(7);
    char name[64];
    for (int i = 0; i < GameCount; i++)
    {
        std::unique_ptr<Game> game = newGame(0);
        snprintf(name, sizeof name, "game%05d (U) [!]", i);
        game->Name = name;
        game->Description = randomText(random);
        // Most need a joystick and buttons; some a light gun, a trackball or a mahjong panel.
        uint32_t controls = i % 11 == 0   ? 1u << 5
                            : i % 13 == 0 ? 1u << 6
                            : i % 17 == 0 ? 1u << 14
                                          : 1u;
        game->Input = InputInfo{2, 4, 2, (uint16_t)(i % 3 ? 1 : 8), controls};
        game->Video = std::make_unique<VideoInfo>(
            VideoInfo{i % 5 ? "raster" : "vector", OrientationHorizontal, 0, 0});
        if (i % 4 == 0) game->CloneOf = AllGames.empty() ? "" : AllGames.back()->Name;
        if (!game->CloneOf.empty()) game->Parent = AllGames.back().get();
        appendGame(std::move(game));
    }
}

static const fs::path& zipFolder()
{
    static fs::path zips = folderWithFiles("zips", ZipCount, "zip");
    return zips;
}

static void BM_MarkAvailableGames(benchmark::State& state)
{
    const fs::path& zips = zipFolder();
    buildMameCatalogue(zips.string());
    for (auto _ : state) markAvailableGames(0);
    int available =
        (int)std::count_if(AllGames.begin(), AllGames.end(),
                           [](const std::unique_ptr<Game>& game) { return game->Available; });
    state.counters["available"] = available;
}
BENCHMARK(BM_MarkAvailableGames)->Unit(benchmark::kMillisecond);

// For comparison: the search of each zip name through the games, one by one. Only a tenth
// of the names are searched, to keep the run short; the whole folder takes ten times this.
static void BM_MarkAvailableGamesBySearch(benchmark::State& state)
{
    const fs::path& zips = zipFolder();
    buildMameCatalogue(zips.string());
    for (auto _ : state)
    {
        std::vector<std::string> names;
        platformListDirectory(zips.string() + "/*.zip", names);
        names.resize(names.size() / 10);
        for (const std::string& name : names)
        {
            std::string wanted = name.substr(0, name.size() - 4);
            for (auto& game : AllGames)
                if (game->EmulatorIndex == 0 && game->Name == wanted)
                {
                    game->Available = 1;
                    break;
                }
        }
    }
}
BENCHMARK(BM_MarkAvailableGamesBySearch)->Unit(benchmark::kMillisecond)->Iterations(1);

static void BM_RebuildVisibleGames(benchmark::State& state)
{
    buildMameCatalogue("");
    FrontendState.CurrentEmulator = -1;
    for (auto _ : state) rebuildVisibleGames();
    state.counters["visible"] = (double)VisibleGames.size();
}
BENCHMARK(BM_RebuildVisibleGames)->Unit(benchmark::kMillisecond);

static void BM_SortAllGames(benchmark::State& state)
{
    buildMameCatalogue("");
    std::mt19937 random(11);
    for (auto _ : state)
    {
        state.PauseTiming();
        std::shuffle(AllGames.begin(), AllGames.end(), random);
        state.ResumeTiming();
        sortAllGames();
    }
}
BENCHMARK(BM_SortAllGames)->Unit(benchmark::kMillisecond);

static void BM_DiscoverRoms(benchmark::State& state)
{
    static fs::path roms = folderWithFiles("roms", RomFileCount, "bin");
    FrontendSettings.ConfigFile = (roms / "absent.ini").string();
    freeCatalogue();
    freeEmulators();
    Emulator* genesis = EmulatorTable.emplace_back(std::make_unique<Emulator>()).get();
    genesis->Name = "Genesis";
    genesis->RomPath = roms.string();
    genesis->RomFileExt = "bin";
    for (auto _ : state)
    {
        discoverRoms(genesis, 0);
        state.PauseTiming();
        freeCatalogue();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DiscoverRoms)->Unit(benchmark::kMillisecond);

// A category file of a full set's size: a [Category] line for every game and 5,000 machines
// the list does not have, some sixty main categories, every ninth game mature, and as many
// lines again in [VerAdded]; CRLF as the real file has.
static const fs::path& categoryFile()
{
    static fs::path file = []
    {
        fs::path dir = folderWithFiles("categories", 0, "");
        std::string categories = "\xEF\xBB\xBF;; made up\r\n[Category]\r\n",
                    added = "[VerAdded]\r\n";
        char line[128];
        for (int i = 0; i < GameCount + 5000; i++)
        {
            snprintf(line, sizeof line, "game%05d (U) [!]=Main %d / Sub %d%s\r\n", i, i % 61, i % 7,
                     i % 9 ? "" : " * Mature *");
            categories += line;
            snprintf(line, sizeof line, "game%05d (U) [!]=0.%d\r\n", i, i % 280);
            added += line;
        }
        std::ofstream(dir / "catver.ini", std::ios::binary) << categories << "\r\n" << added;
        return dir / "catver.ini";
    }();
    return file;
}

static void BM_LoadCategories(benchmark::State& state)
{
    buildMameCatalogue("");
    EmulatorTable[0]->CategoryFile = categoryFile().string();
    for (auto _ : state)
    {
        state.PauseTiming();
        forgetCategories();
        for (auto& game : AllGames) game->Category = game->Mature = 0;
        state.ResumeTiming();
        loadCategories(0);
    }
    state.counters["main_categories"] = (double)MainCategories.size();
}
BENCHMARK(BM_LoadCategories)->Unit(benchmark::kMillisecond);

// What closing the menu after one category was switched costs: the whole rebuild.
static void BM_RebuildAfterCategoryToggle(benchmark::State& state)
{
    buildMameCatalogue("");
    for (auto& game : AllGames) game->Available = 1;
    EmulatorTable[0]->CategoryFile = categoryFile().string();
    forgetCategories();
    loadCategories(0);
    FrontendState.CurrentEmulator = 0;
    int toggle = 0;
    for (auto _ : state)
    {
        EmulatorTable[0]->HiddenCategories = toggle++ % 2
                                                 ? std::vector<std::string>{"Main 3"}
                                                 : std::vector<std::string>{"Main 3", "main 40"};
        rebuildVisibleGames();
    }
    state.counters["visible"] = (double)VisibleGames.size();
    forgetCategories();
}
BENCHMARK(BM_RebuildAfterCategoryToggle)->Unit(benchmark::kMillisecond);

// A players file of a full set's size: a line for most games (the clones left to their
// parents), the real file's mix of values, and 4,000 machines the list does not have.
static const fs::path& playersFile()
{
    static fs::path file = []
    {
        fs::path dir = folderWithFiles("players", 0, "");
        static const char* const Values[] = {"???",    "2P sim",          "1P",     "2P alt",
                                             "Device", "4P alt / 2P sim", "4P sim", "Non-arcade"};
        std::string text = ";; made up\r\n\r\n[NPlayers]\r\n";
        char line[128];
        for (int i = 0; i < GameCount - 8000 + 4000; i++)
        {
            snprintf(line, sizeof line, "game%05d (U) [!]=%s\r\n", i * 45 / 41, Values[i % 8]);
            text += line;
        }
        std::ofstream(dir / "nplayers.ini", std::ios::binary) << text;
        return dir / "nplayers.ini";
    }();
    return file;
}

static void BM_LoadPlayersFile(benchmark::State& state)
{
    buildMameCatalogue("");
    EmulatorTable[0]->PlayersFile = playersFile().string();
    for (auto _ : state)
    {
        state.PauseTiming();
        for (auto& game : AllGames) game->HasPlayersLine = false;
        state.ResumeTiming();
        loadPlayersFile(0);
    }
    state.counters["with_line"] = (double)std::count_if(
        AllGames.begin(), AllGames.end(), [](const auto& game) { return game->HasPlayersLine; });
}
BENCHMARK(BM_LoadPlayersFile)->Unit(benchmark::kMillisecond);

// Closing the menu with the cabinet's controls named and the players at once counted.
static void BM_RebuildForCabinet(benchmark::State& state)
{
    buildMameCatalogue("");
    for (auto& game : AllGames) game->Available = 1;
    EmulatorTable[0]->PlayersFile = playersFile().string();
    loadPlayersFile(0);
    FrontendSettings.CabinetControls = "joy, only_buttons";
    FrontendState.CurrentEmulator = 0;
    int toggle = 0;
    for (auto _ : state)
    {
        EmulatorTable[0]->PlayersAtOnce = toggle++ % 2;
        rebuildVisibleGames();
    }
    state.counters["visible"] = (double)VisibleGames.size();
    FrontendSettings.CabinetControls.clear();
}
BENCHMARK(BM_RebuildForCabinet)->Unit(benchmark::kMillisecond);

static double percentile99(const std::vector<double>& times)
{
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
}

// A letter typed into the search: the whole list narrowed to the text typed so far, one
// letter more each time ("t", "to", ... as a player types), over 45,000 games.
static void BM_NarrowAfterEachLetter(benchmark::State& state)
{
    buildMameCatalogue("");
    std::vector<Game*> all;
    for (auto& game : AllGames) all.push_back(game.get());
    static const char* const Typed[] = {"T", "TO", "TOR", "TORV", "A", "AB", "1", "19"};
    size_t next = 0, matches = 0;
    for (auto _ : state)
    {
        std::vector<Game*> narrowed = narrowGames(all, Typed[next++ % 8]);
        matches += narrowed.size();
        benchmark::DoNotOptimize(narrowed.data());
    }
    state.counters["matches_per_letter"] = (double)matches / (double)state.iterations();
}
BENCHMARK(BM_NarrowAfterEachLetter)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(40)
    ->Iterations(8)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p99", percentile99);

// The rebuild with its sort by plays, 5,000 of the games played; against BM_RebuildVisibleGames
// and BM_SortAllGames.
static void BM_RebuildByPlayHistory(benchmark::State& state)
{
    buildMameCatalogue("");
    for (auto& game : AllGames) game->Available = 1;
    std::mt19937 random(5);
    for (int i = 0; i < 5000; i++)
    {
        Game* game = AllGames[random() % AllGames.size()].get();
        if (!game->Played)
        {
            PlayRecords.push_back(
                std::make_unique<PlayRecord>(PlayRecord{"MAME", game->Name, 0, 0, 0, 0, 0, 0, ""}));
            game->Played = PlayRecords.back().get();
        }
        game->Played->Plays += 1 + random() % 20;
        game->Played->LastPlayed = 1767225600 + random() % 1000000;
    }
    FrontendState.CurrentEmulator = -1;
    FrontendSettings.SortGamesBy = (GameOrder)state.range(0);
    for (auto _ : state) rebuildVisibleGames();
    FrontendSettings.SortGamesBy = OrderByDescription;
    forgetPlayHistory();
}
BENCHMARK(BM_RebuildByPlayHistory)
    ->ArgName("order")
    ->Arg(OrderByMostPlayed)
    ->Arg(OrderByLastPlayed)
    ->Unit(benchmark::kMillisecond);
