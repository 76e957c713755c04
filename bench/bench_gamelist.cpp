// A console's collection as scrapers leave it: a gamelist.xml of 10,000 games (descriptions of
// a few hundred words, every field filled, 11 MB) and a media folder of 10,000 files per kind.
// Measured: what the list adds to a start (reading it and giving the games its fields), and
// the lookup of a game's picture when the emulator's own folder has it and when it is found
// only in the media folder, after the folders' listings are kept (as on every redraw but the
// first).
#include "catalogue/catalogue.h"
#include "catalogue/gamelist.h"
#include "config/settings.h"
#include "display/artwork.h"
#include "display/picturecache.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

static const int GameCount = 10000;
static const fs::path Data = fs::temp_directory_path() / "torvanell-bench-gamelist";

static std::string romName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "Game %05d (World).sms", i);
    return name;
}

static std::string listEntry(int i)
{
    std::string bare = romName(i).substr(0, romName(i).size() - 4), desc;
    while (desc.size() < 900) desc += "A platform game &amp; its sequel, released in Japan. ";
    return "  <game>\n    <path>./" + romName(i) + "</path>\n    <name>Title " + std::to_string(i) +
           "</name>\n    <desc>" + desc + "</desc>\n    <image>./media/" + bare +
           ".png</image>\n    <thumbnail>./media/" + bare +
           "-box.png</thumbnail>\n    <rating>0.7</rating>\n    "
           "<releasedate>19950311T000000</releasedate>\n    <developer>Sonic Team</developer>\n"
           "    <publisher>Sega</publisher>\n    <genre>Platform / Action</genre>\n    "
           "<players>1-2</players>\n    <playcount>3</playcount>\n    "
           "<lastplayed>20240101T120000</lastplayed>\n  </game>\n";
}

static void writeCollection()
{
    if (fs::exists(Data / "done")) return;
    for (const char* folder : {"own", "media/screenshots", "media/covers", "media/marquees"})
        fs::create_directories(Data / folder);
    std::ofstream list(Data / "gamelist.xml", std::ios::binary);
    list << "<?xml version=\"1.0\"?>\n<gameList>\n";
    for (int i = 0; i < GameCount; i++)
    {
        list << listEntry(i);
        std::string bare = romName(i).substr(0, romName(i).size() - 4);
        for (const char* folder : {"own", "media/screenshots", "media/covers", "media/marquees"})
            std::ofstream(Data / folder / (bare + ".png"));
    }
    list << "</gameList>\n";
    fs::create_directories(Data / "done");
    std::this_thread::sleep_for(std::chrono::milliseconds(2100)); // the folders settle
}

static void setUpGames(const std::string& gameList)
{
    freeEmulators();
    auto emulator = std::make_unique<Emulator>();
    emulator->Name = "SMS";
    emulator->GameList = gameList;
    emulator->MediaFolder = (Data / "media").string();
    EmulatorTable.push_back(std::move(emulator));
    for (int i = 0; i < GameCount; i++)
    {
        std::unique_ptr<Game> game = newGame(0);
        game->Name = romName(i);
        game->Description = game->Name.substr(0, game->Name.size() - 4);
        game->Manufacturer = "Unknown";
        appendGame(std::move(game));
    }
}

static double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The same games with and without the list: the difference is what the list costs a start.
// The first start after the list changed reads the XML and keeps the cache beside it; every
// later start reads the cache.
static void BM_StartWithGameListOf10000(benchmark::State& state)
{
    writeCollection();
    fs::remove(Data / "gamelist.xml.index");
    auto first = std::chrono::steady_clock::now();
    setUpGames((Data / "gamelist.xml").string());
    applyGameList(0);
    state.counters["first_start_ms"] = millisecondsSince(first);
    forgetGameLists();
    double without = 0, with = 0;
    for (auto _ : state)
    {
        auto start = std::chrono::steady_clock::now();
        setUpGames("");
        applyGameList(0);
        without += millisecondsSince(start);
        start = std::chrono::steady_clock::now();
        setUpGames((Data / "gamelist.xml").string());
        applyGameList(0);
        with += millisecondsSince(start);
        forgetGameLists();
    }
    state.counters["added_ms"] = (with - without) / (double)state.iterations();
    freeEmulators();
}

static double lookupMicroseconds(ArtworkPart part, int ownFolder)
{
    setUpGames((Data / "gamelist.xml").string());
    EmulatorTable[0]->Snaps = ownFolder ? (Data / "own").string() : "";
    EmulatorTable[0]->Flyers = (Data / "own").string(); // holds no covers: the fallback
    std::string path;
    int jpeg;
    findArtworkPath(AllGames[0].get(), part, path, jpeg); // the listings are read once
    auto start = std::chrono::steady_clock::now();
    int found = 0;
    for (int i = 0; i < 1000; i++)
        found += findArtworkPath(AllGames[(size_t)i * 7 % GameCount].get(), part, path, jpeg);
    double each = 1000 * millisecondsSince(start) / 1000;
    if (found != 1000) std::fprintf(stderr, "only %d of 1000 pictures found\n", found);
    return each;
}

// Without the list's own paths: the media folder is then the only place left to look.
static void BM_PictureLookupAmong10000PerKind(benchmark::State& state)
{
    writeCollection();
    double own = 0, media = 0;
    for (auto _ : state)
    {
        forgetPictures();
        own += lookupMicroseconds(PartScreenshot, 1);
        media += lookupMicroseconds(PartMarquee, 0);
    }
    state.counters["own_folder_us"] = own / (double)state.iterations();
    state.counters["media_folder_us"] = media / (double)state.iterations();
    forgetPictures();
    freeEmulators();
}

BENCHMARK(BM_StartWithGameListOf10000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PictureLookupAmong10000PerKind)->Unit(benchmark::kMillisecond)->Iterations(3);
