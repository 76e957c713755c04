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

// Rows: missing, vertical, horizontal, clones, Neo-Geo, not Neo-Geo, vector, raster, then the
// least and most players, buttons and coins, and the controller types.
TEST_F(Filters, MameFiltersAsTheMenuSetsThem)
{
    addMame();
    addInput(addGame("two-players"), 2, 4, 2, 1);
    addInput(addGame("one-player"), 1, 0, 1, 8);
    addGame("neo")->RomOf = "neogeo";
    addGame("neo-case")->RomOf = "NeoGeo";
    addVideo(addGame("vertical-raster"), "raster", 1);
    addVideo(addGame("horizontal-vector"), "vector", 2);
    addVideo(addGame("unknown"), "lcd", 0);
    Names all = {"two-players",     "one-player",        "neo",    "neo-case",
                 "vertical-raster", "horizontal-vector", "unknown"};
    Names plain = {"neo", "neo-case", "vertical-raster", "horizontal-vector", "unknown"};
    auto with = [](Names names, std::vector<std::string> more)
    {
        names.insert(names.begin(), more.begin(), more.end());
        return names;
    };
    struct
    {
        MameFilter Filter;
        Names Shown;
    } cases[] = {
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127}, all},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 8, 0, 8, 127}, with(plain, {"one-player"})},
        {{0, 1, 1, 1, 1, 1, 1, 1, 2, 2, 0, 8, 0, 8, 127}, with(plain, {"two-players"})},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 4, 4, 0, 8, 127}, with(plain, {"two-players"})},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 1, 127}, with(plain, {"one-player"})},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 2, 2, 127}, with(plain, {"two-players"})},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, -1, 8, 8}, with(plain, {"one-player"})},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 1}, with(plain, {"two-players"})},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 0}, plain},
        {{0, 1, 1, 1, 1, 0, 1, 1, 0, 8, 0, 8, 0, 8, 127}, {"neo"}},
        {{0, 1, 1, 1, 0, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127},
         {"two-players", "one-player", "neo-case", "vertical-raster", "horizontal-vector",
          "unknown"}},
        {{0, 0, 1, 1, 1, 1, 0, 1, 0, 8, 0, 8, 0, 8, 127},
         {"two-players", "one-player", "neo", "neo-case", "unknown"}},
        {{0, 1, 0, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127},
         {"two-players", "one-player", "neo", "neo-case", "vertical-raster", "unknown"}},
        {{0, 1, 1, 1, 1, 1, 1, 0, 0, 8, 0, 8, 0, 8, 127},
         {"two-players", "one-player", "neo", "neo-case", "horizontal-vector", "unknown"}},
    };
    for (const auto& c : cases)
    {
        *EmulatorTable[0]->MameFilter = c.Filter;
        EXPECT_EQ(visible(), c.Shown) << &c - cases;
    }
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
