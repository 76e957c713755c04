// Which MAME games have their zip file, the order of AllGames and the filters of the list.
#include "catalogue/filters.h"
#include "catalogue/romscan.h"
#include "core/frontend.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

// Every folder of this run lives under one parent, removed when the program ends.
static fs::path runDirectory()
{
    struct Parent
    {
        fs::path Path = fs::temp_directory_path() /
                        ("torvanell-filters-" + std::to_string(std::random_device()()));
        ~Parent()
        {
            std::error_code ignored;
            fs::remove_all(Path, ignored);
        }
    };
    static Parent parent;
    return parent.Path;
}

static fs::path freshDirectory(const std::string& name)
{
    fs::path dir = runDirectory() / name;
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    fs::create_directories(dir);
    return dir;
}

static void touch(const fs::path& path)
{
    std::ofstream(path, std::ios::binary);
}

static Emulator* addMame(const std::string& romPath)
{
    Emulator* emulator = new Emulator{};
    emulator->Name = "MAME";
    emulator->IsMame = 1;
    emulator->IncludeInAll = 1;
    emulator->RomPath = romPath;
    emulator->MameFilter =
        std::make_unique<MameFilter>(MameFilter{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127});
    EmulatorTable.push_back(emulator);
    return emulator;
}

static Emulator* addScanned(const std::string& name, int includeInAll, int useGoodFilters)
{
    Emulator* emulator = new Emulator{};
    emulator->Name = name;
    emulator->IncludeInAll = includeInAll;
    emulator->UseGoodFilters = useGoodFilters;
    if (useGoodFilters) emulator->NameCodeFilter = std::make_unique<NameCodeFilter>();
    EmulatorTable.push_back(emulator);
    return emulator;
}

static Game* addGame(int emulatorIndex, const std::string& name)
{
    Game* game = newGame(emulatorIndex);
    game->Name = name;
    game->Description = name;
    AllGames.push_back(game);
    return game;
}

static Game* addInput(Game* game, int players, int buttons, int coins, int control)
{
    game->Input = std::make_unique<InputInfo>(
        InputInfo{(int16_t)players, (int16_t)buttons, (int16_t)coins, (uint16_t)control});
    return game;
}

static Game* addVideo(Game* game, const char* screen, int orientation)
{
    game->Video = std::make_unique<VideoInfo>(VideoInfo{screen, (uint16_t)orientation, 0, 0});
    return game;
}

static std::vector<std::string> visible()
{
    rebuildVisibleGames();
    std::vector<std::string> names;
    for (const Game* game : VisibleGames) names.push_back(game->Name);
    return names;
}

using Names = std::vector<std::string>;

class Filters : public testing::Test
{
protected:
    void SetUp() override
    {
        FrontendState.CurrentEmulator = -1;
    }
    void TearDown() override
    {
        freeCatalogue();
        freeEmulators();
    }
};

TEST_F(Filters, ZipFilesMarkTheFirstGameOfThatExactName)
{
    fs::path one = freshDirectory("zips1");
    fs::path two = freshDirectory("zips2");
    for (const char* zip : {"pacman.zip", "DKONG.zip", "galaga.ZIP", "a.zip", "notes.txt"})
        touch(one / zip);
    touch(two / "mspacman.zip");
    fs::create_directory(two / "1942.zip");
    addMame("/nowhere;;" + one.string() + ";" + two.string() + ";" + (one / "a.zip").string());
    addScanned("Other", 1, 0);
    Game* first = addGame(0, "pacman");
    Game* second = addGame(0, "pacman");
    Game* otherEmulator = addGame(1, "pacman");
    otherEmulator->Available = 0;
    Game* dkong = addGame(0, "dkong");
    Game* galaga = addGame(0, "galaga");
    Game* mspacman = addGame(0, "mspacman");
    Game* folder = addGame(0, "1942");
    Game* prefix = addGame(0, "pac");
    Game* single = addGame(0, "a");

    markAvailableGames(0);
    EXPECT_EQ(first->Available, 1);
    EXPECT_EQ(second->Available, 0);
    EXPECT_EQ(otherEmulator->Available, 0); // other emulators are left alone
    EXPECT_EQ(dkong->Available, 0);         // letter case of the name counts
    EXPECT_EQ(galaga->Available, 1);        // ... that of the extension does not
    EXPECT_EQ(mspacman->Available, 1);
    EXPECT_EQ(folder->Available, 1);
    EXPECT_EQ(prefix->Available, 0);
    EXPECT_EQ(single->Available, 1);

    EmulatorTable[0]->RomPath = "";
    markAvailableGames(0); // no folder at all: every game of the emulator is missing
    EXPECT_EQ(first->Available, 0);
    markAvailableGames(5); // no such emulator
}

TEST_F(Filters, SortIsByUnsignedBytesWithoutCaseFolding)
{
    addScanned("Any", 1, 0);
    for (const char* name : {"alpha", "\xe9t\xe9", "Zork", "abcd", "abc", "", "zebra", "Zork"})
        addGame(0, name);
    sortAllGames();
    Names order;
    for (const Game* game : AllGames) order.push_back(game->Description);
    EXPECT_EQ(order, (Names{"", "Zork", "Zork", "abc", "abcd", "alpha", "zebra", "\xe9t\xe9"}));
    EXPECT_LT(compareDescriptions(AllGames[1], AllGames[5]), 0);
    EXPECT_GT(compareDescriptions(AllGames[7], AllGames[6]), 0);
    EXPECT_EQ(compareDescriptions(AllGames[1], AllGames[2]), 0);
    EXPECT_EQ(visible(), (Names{"", "Zork", "Zork", "abc", "abcd", "alpha", "zebra", "\xe9t\xe9"}));
}

TEST_F(Filters, MameDefaultsNeedTheZipAndTheParentsZip)
{
    addMame("");
    Game* ok = addGame(0, "a-ok");
    Game* missing = addGame(0, "b-missing");
    missing->Available = 0;
    addGame(0, "c-clone")->CloneOf = "a-ok";
    AllGames.back()->Parent = ok;
    addGame(0, "d-orphan")->CloneOf = "gone";
    addGame(0, "e-clone-of-missing")->CloneOf = "b-missing";
    AllGames.back()->Parent = missing;
    addGame(0, "f-bios")->NotRunnable = 1;
    MameFilter& filter = *EmulatorTable[0]->MameFilter;

    EXPECT_EQ(visible(), (Names{"a-ok", "c-clone"}));
    filter.DisplayMissingRoms = 1;
    EXPECT_EQ(visible(), (Names{"a-ok", "b-missing", "c-clone", "d-orphan", "e-clone-of-missing"}));
    filter.DisplayClones = 0;
    EXPECT_EQ(visible(), (Names{"a-ok", "b-missing"}));
    filter.DisplayMissingRoms = 0;
    filter.DisplayClones = 1;
    ok->Available = 0;
    EXPECT_TRUE(visible().empty()); // everything hidden is an empty list, not an error
    EXPECT_EQ(AllGames.size(), 6u);
}

TEST_F(Filters, PlayersButtonsCoinsAndControls)
{
    addMame("");
    addInput(addGame(0, "two-players"), 2, 4, 2, 1);
    addInput(addGame(0, "one-player"), 1, 0, 1, 8);
    addGame(0, "no-input");
    MameFilter& filter = *EmulatorTable[0]->MameFilter;
    EXPECT_EQ(visible(), (Names{"two-players", "one-player", "no-input"}));

    filter.MaxPlayers = 1;
    EXPECT_EQ(visible(), (Names{"one-player", "no-input"}));
    filter.MaxPlayers = 2; // bounds are allowed values
    filter.MinPlayers = 2;
    EXPECT_EQ(visible(), (Names{"two-players", "no-input"}));
    filter.MinPlayers = 0;
    filter.MinButtons = 4;
    filter.MaxButtons = 4;
    EXPECT_EQ(visible(), (Names{"two-players", "no-input"}));
    filter.MinButtons = 0;
    filter.MaxCoins = 1;
    EXPECT_EQ(visible(), (Names{"one-player", "no-input"}));
    filter.MinCoins = 2;
    filter.MaxCoins = 2;
    EXPECT_EQ(visible(), (Names{"two-players", "no-input"}));
    filter.MinCoins = -1;
    filter.MaxCoins = 8;

    filter.ControllerTypes = 8;
    EXPECT_EQ(visible(), (Names{"one-player", "no-input"}));
    filter.ControllerTypes = 1;
    EXPECT_EQ(visible(), (Names{"two-players", "no-input"}));
    filter.ControllerTypes = 0;
    EXPECT_EQ(visible(), (Names{"no-input"}));
}

TEST_F(Filters, NeoGeoAndScreens)
{
    addMame("");
    addGame(0, "neo")->RomOf = "neogeo";
    addGame(0, "neo-case")->RomOf = "NeoGeo";
    addGame(0, "plain");
    addVideo(addGame(0, "vertical-raster"), "raster", 1);
    addVideo(addGame(0, "horizontal-vector"), "vector", 2);
    addVideo(addGame(0, "unknown"), "lcd", 0);
    MameFilter& filter = *EmulatorTable[0]->MameFilter;
    Names all = {"neo", "neo-case", "plain", "vertical-raster", "horizontal-vector", "unknown"};
    EXPECT_EQ(visible(), all);

    filter.DisplayNonNeoGeo = 0;
    EXPECT_EQ(visible(), (Names{"neo"}));
    filter.DisplayNonNeoGeo = 1;
    filter.DisplayNeoGeo = 0;
    EXPECT_EQ(visible(), (Names(all.begin() + 1, all.end())));
    filter.DisplayNeoGeo = 1;

    filter.DisplayVertical = 0;
    filter.DisplayVector = 0;
    EXPECT_EQ(visible(), (Names{"neo", "neo-case", "plain", "unknown"}));
    filter.DisplayVertical = 1;
    filter.DisplayVector = 1;
    filter.DisplayHorizontal = 0;
    EXPECT_EQ(visible(), (Names{"neo", "neo-case", "plain", "vertical-raster", "unknown"}));
    filter.DisplayHorizontal = 1;
    filter.DisplayRaster = 0;
    EXPECT_EQ(visible(), (Names{"neo", "neo-case", "plain", "horizontal-vector", "unknown"}));
}

TEST_F(Filters, NameCodesAndTheChosenEmulator)
{
    addScanned("Genesis", 1, 1);
    addScanned("Hidden", 0, 0);
    addScanned("CodesIgnored", 1, 0); // codes count only with UseGoodFilters
    const char* descriptions[] = {"Clean", "Puzzle (U)", "Puzzle (U) [!]"};
    for (const char* description : descriptions)
    {
        addGame(0, description)->NameCodes = decodeNameCodes(description);
        addGame(2, std::string("other ") + description)->NameCodes = decodeNameCodes(description);
    }
    addGame(0, "hand-listed"); // no name codes at all
    addGame(1, "hidden-game");
    NameCodeFilter& codes = *EmulatorTable[0]->NameCodeFilter;
    Names others = {"other Clean", "other Puzzle (U)", "other Puzzle (U) [!]"};

    FrontendState.CurrentEmulator = 0;
    EXPECT_EQ(visible(), (Names{"Clean", "hand-listed"}));
    codes.Flags[30] = 1;
    EXPECT_EQ(visible(), (Names{"Clean", "Puzzle (U)", "hand-listed"}));
    codes.Flags[9] = 1;
    EXPECT_EQ(visible(), (Names{"Clean", "Puzzle (U)", "Puzzle (U) [!]", "hand-listed"}));
    codes.Flags[30] = 0;
    EXPECT_EQ(visible(), (Names{"Clean", "hand-listed"}));

    FrontendState.CurrentEmulator = 2;
    EXPECT_EQ(visible(), others);
    FrontendState.CurrentEmulator = 1; // left out of "All", still shown on its own
    EXPECT_EQ(visible(), (Names{"hidden-game"}));
    FrontendState.CurrentEmulator = -1;
    EXPECT_EQ(visible(), (Names{"Clean", "other Clean", "other Puzzle (U)", "other Puzzle (U) [!]",
                                "hand-listed"}));
}
