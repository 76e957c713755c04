// Which MAME games have their zip file, the order of AllGames and the filters of the list.
#include "catalogue/filters.h"
#include "catalogue/romscan.h"
#include "core/frontend.h"
#include "support.h"

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
        resetCatalogue();
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
    addEmulator("Other");
    Game* first = addGame("pacman");
    Game* second = addGame("pacman");
    Game* otherEmulator = addGame("pacman", 1);
    otherEmulator->Available = 0;
    Game* dkong = addGame("dkong");
    Game* galaga = addGame("galaga");
    Game* mspacman = addGame("mspacman");
    Game* folder = addGame("1942");
    Game* prefix = addGame("pac");
    Game* single = addGame("a");

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
    addEmulator("Any");
    for (const char* name : {"alpha", "\xe9t\xe9", "Zork", "abcd", "abc", "", "zebra", "Zork"})
        addGame(name);
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
    addMame();
    Game* ok = addGame("a-ok");
    Game* missing = addGame("b-missing");
    missing->Available = 0;
    addGame("c-clone")->CloneOf = "a-ok";
    AllGames.back()->Parent = ok;
    addGame("d-orphan")->CloneOf = "gone";
    addGame("e-clone-of-missing")->CloneOf = "b-missing";
    AllGames.back()->Parent = missing;
    addGame("f-bios")->NotRunnable = 1;
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
    addMame();
    addInput(addGame("two-players"), 2, 4, 2, 1);
    addInput(addGame("one-player"), 1, 0, 1, 8);
    addGame("no-input");
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
    addMame();
    addGame("neo")->RomOf = "neogeo";
    addGame("neo-case")->RomOf = "NeoGeo";
    addGame("plain");
    addVideo(addGame("vertical-raster"), "raster", 1);
    addVideo(addGame("horizontal-vector"), "vector", 2);
    addVideo(addGame("unknown"), "lcd", 0);
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
    Emulator* genesis = addEmulator("Genesis");
    genesis->UseGoodFilters = 1;
    genesis->NameCodeFilter = std::make_unique<NameCodeFilter>();
    addEmulator("Hidden")->IncludeInAll = 0;
    addEmulator("CodesIgnored"); // codes count only with UseGoodFilters
    const char* descriptions[] = {"Clean", "Puzzle (U)", "Puzzle (U) [!]"};
    for (const char* description : descriptions)
    {
        addGame(description)->NameCodes = decodeNameCodes(description);
        addGame(std::string("other ") + description, 2)->NameCodes = decodeNameCodes(description);
    }
    addGame("hand-listed"); // no name codes at all
    addGame("hidden-game", 1);
    NameCodeFilter& codes = *genesis->NameCodeFilter;
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
