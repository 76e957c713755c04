// Which MAME games have their zip file, the order of AllGames and the filters of the list.
#include "catalogue/filters.h"
#include "catalogue/romscan.h"
#include "core/frontend.h"
#include "support.h"

using Names = std::vector<std::string>;

static Names visible()
{
    rebuildVisibleGames();
    Names names;
    for (const Game* game : VisibleGames) names.push_back(game->Name);
    return names;
}

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

TEST_F(Filters, ZipFilesMarkTheFirstGameOfThatExactNameAndTheOrderIsByBytes)
{
    fs::path one = freshDirectory("zips1"), two = freshDirectory("zips2");
    for (const char* zip : {"pacman.zip", "DKONG.zip", "galaga.ZIP", "a.zip"}) touch(one / zip);
    fs::create_directory(two / "1942.zip");
    addMame("/nowhere;;" + one.string() + ";" + two.string() + ";" + (one / "a.zip").string());
    addEmulator("Other");
    // Names, then whether each is found; the second pacman and the other emulator's are not.
    for (const char* name : {"pacman", "pacman", "dkong", "galaga", "1942", "pac", "a"})
        addGame(name);
    addGame("pacman", 1)->Available = 0;
    markAvailableGames(0);
    std::string available;
    for (const Game* game : AllGames) available += std::to_string(game->Available);
    EXPECT_EQ(available, "10011010");
    EmulatorTable[0]->RomPath = "";
    markAvailableGames(0);
    EXPECT_EQ(AllGames[0]->Available, 0);

    resetCatalogue();
    addEmulator("Any");
    for (const char* name : {"alpha", "\xe9t\xe9", "Zork", "abcd", "abc", "", "Zork"})
        addGame(name);
    sortAllGames();
    EXPECT_EQ(visible(), (Names{"", "Zork", "Zork", "abc", "abcd", "alpha", "\xe9t\xe9"}));
}

// Rows: missing, vertical, horizontal, clones, Neo-Geo, not Neo-Geo, vector, raster, then the
// least and most players, buttons and coins, and the controller types.
TEST_F(Filters, MameFiltersAsTheMenuSetsThem)
{
    addMame();
    auto input = [](Game* game, int players, int buttons, int coins, int control)
    {
        game->Input = std::make_unique<InputInfo>(
            InputInfo{(int16_t)players, (int16_t)buttons, (int16_t)coins, (uint16_t)control});
    };
    auto video = [](Game* game, const char* screen, int orientation) {
        game->Video = std::make_unique<VideoInfo>(VideoInfo{screen, (uint16_t)orientation, 0, 0});
    };
    input(addGame("two"), 2, 4, 2, 1);
    input(addGame("one"), 1, 0, 1, 8);
    addGame("neo")->RomOf = "neogeo";
    addGame("neo-case")->RomOf = "NeoGeo";
    video(addGame("vert-raster"), "raster", 1);
    video(addGame("horiz-vector"), "vector", 2);
    addGame("missing")->Available = 0;
    for (auto [name, parent] : {std::pair{"clone", 0}, {"clone-of-missing", 6}})
    {
        addGame(name)->Parent = AllGames[parent];
        AllGames.back()->CloneOf = AllGames[parent]->Name;
    }
    addGame("orphan")->CloneOf = "gone";
    addGame("bios")->NotRunnable = 1;
    Names rest = {"neo", "neo-case", "vert-raster", "horiz-vector", "clone"};
    auto with = [](Names names, const std::string& first)
    {
        names.insert(names.begin(), first);
        return names;
    };
    struct
    {
        MameFilter Filter;
        Names Shown;
    } cases[] = {
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127}, with(with(rest, "one"), "two")},
        {{1, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127},
         {"two", "one", "neo", "neo-case", "vert-raster", "horiz-vector", "missing", "clone",
          "clone-of-missing", "orphan"}},
        {{0, 1, 1, 0, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127},
         {"two", "one", "neo", "neo-case", "vert-raster", "horiz-vector"}},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 8, 0, 8, 127}, with(rest, "one")},
        {{0, 1, 1, 1, 1, 1, 1, 1, 2, 2, 0, 8, 0, 8, 127}, with(rest, "two")},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 4, 4, 0, 8, 127}, with(rest, "two")},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 1, 127}, with(rest, "one")},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 2, 2, 127}, with(rest, "two")},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, -1, 8, 8}, with(rest, "one")},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 0}, rest},
        {{0, 1, 1, 1, 1, 0, 1, 1, 0, 8, 0, 8, 0, 8, 127}, {"neo"}},
        {{0, 1, 1, 1, 0, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127},
         {"two", "one", "neo-case", "vert-raster", "horiz-vector", "clone"}},
        {{0, 0, 1, 1, 1, 1, 0, 1, 0, 8, 0, 8, 0, 8, 127},
         {"two", "one", "neo", "neo-case", "clone"}},
        {{0, 1, 0, 1, 1, 1, 1, 0, 0, 8, 0, 8, 0, 8, 127},
         {"two", "one", "neo", "neo-case", "clone"}},
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
    for (const char* description : {"Clean", "Puzzle (U)", "Puzzle (U) [!]"})
    {
        addGame(description)->NameCodes = decodeNameCodes(description);
        addGame(std::string("other ") + description, 2)->NameCodes = decodeNameCodes(description);
    }
    addGame("hand-listed"); // no name codes at all
    addGame("hidden-game", 1);
    NameCodeFilter& codes = *genesis->NameCodeFilter;
    FrontendState.CurrentEmulator = 0;
    EXPECT_EQ(visible(), (Names{"Clean", "hand-listed"}));
    codes.Flags[30] = codes.Flags[9] = 1; // USA and verified: both codes must be shown
    EXPECT_EQ(visible(), (Names{"Clean", "Puzzle (U)", "Puzzle (U) [!]", "hand-listed"}));
    codes.Flags[30] = 0;
    EXPECT_EQ(visible(), (Names{"Clean", "hand-listed"}));
    FrontendState.CurrentEmulator = 1; // left out of "All", still shown on its own
    EXPECT_EQ(visible(), (Names{"hidden-game"}));
    FrontendState.CurrentEmulator = -1;
    EXPECT_EQ(visible(), (Names{"Clean", "other Clean", "other Puzzle (U)", "other Puzzle (U) [!]",
                                "hand-listed"}));
}
