// Name codes of real ROM-collection names, ROM discovery and hand-listed games.
#include "catalogue/emulators.h"
#include "catalogue/romscan.h"
#include "core/frontend.h"
#include "support.h"

static std::vector<int> rowsOf(const NameCodeFlags& flags)
{
    std::vector<int> rows;
    for (int i = 0; i < NameCodeCount; i++)
        if (flags.Flags[i]) rows.push_back(i);
    return rows;
}

// Every real name of a ROM collection found as a file, some name codes checked by hand.
TEST(NameCodes, RealCollectionNamesFoundAsFiles)
{
    const std::pair<const char*, std::vector<int>> made[] = {
        {"Game (FC) (FN) (GR) (HK) (NL) (SW)", {18, 19, 21, 22, 26, 29}},
        {"Game (F) (G) (S) (1) (4) (A) (B) (C) (I) (K)", {12, 13, 14, 15, 17, 20, 23, 25, 28, 33}},
        {"Game [f1] [p1] [o2] [t3] [T-Fre] [h2] [b1] [a3] (PD) (Beta)",
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 27}},
        {"Game (u) (j) [T (Unl) (Unk)", {8, 11, 32}}, // letter case counts
    };
    for (const auto& [name, rows] : made) EXPECT_EQ(rowsOf(*decodeNameCodes(name)), rows) << name;

    fs::path dir = freshDirectory();
    std::ifstream in(fs::path(TORVANELL_REALDATA) / "goodtools" / "GoodSMS 3.20.romnames.txt");
    size_t expected = 0;
    for (std::string line; std::getline(in, line);)
    {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        touch(dir / line);
        expected += line.ends_with(".SMS") || line.ends_with(".sms");
    }
    resetCatalogue();
    NameIndex = createNameIndex(1000);
    addEmulator("SMS", dir.string(), "sms"); // the files say ".SMS"
    discoverRoms(EmulatorTable[0], 0);
    ASSERT_GT(expected, 1000u);
    EXPECT_EQ(AllGames.size(), expected);
    const std::pair<const char*, std::vector<int>> samples[] = {
        {"Hang-On & Safari Hunt (UK) [!].SMS", {9, 31}},
        {"Hang-On & Safari Hunt (Prototype).SMS", {}},
        {"SMS BIOS V3.4 (Hang-On) (F) [!].SMS", {9, 17}},
    };
    for (const auto& [name, rows] : samples)
    {
        const Game* game = findNameIndex(NameIndex, name);
        ASSERT_TRUE(game) << name;
        EXPECT_EQ(rowsOf(*game->NameCodes), rows) << name;
        EXPECT_EQ(game->Description + ".SMS", name);
    }
    resetCatalogue();
}

TEST(Discovery, RomPathItemsFoldersAndHandListedGames)
{
    fs::path dir = freshDirectory(), roms = dir / "roms";
    fs::create_directories(roms);
    for (const char* name : {"Puzzle (U) [!].md", "Game.MD", "notes.txt", "Game.mdx"})
        touch(roms / name);
    fs::create_directory(roms / "folder.md"); // directories are listed too
    touch(dir / "plain-file");
    useConfig(dir / "torvanell.ini",
              "[Genesis]\nGame1=Pac Man,pacman\nGame2=OnlyOne\nGame3=Desc, spaced,extra\n"
              "Game4=,,,\nGame5=Last,last\nGame7=Never,never\n");
    resetCatalogue();
    NameIndex = createNameIndex(2);
    // Missing, empty and plain-file items are passed over; the same folder twice lists twice.
    addEmulator("Genesis",
                (dir / "missing").string() + ",," + (dir / "plain-file").string() + "," +
                    roms.string() + "," + roms.string() + "/",
                "md");
    discoverRoms(EmulatorTable[0], 0);
    std::vector<std::string> found;
    for (const Game* game : AllGames)
        found.push_back(game->Description + "," + game->Name + "," + game->Manufacturer +
                        (game->RomDirectory.empty() ? "" : ",found"));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{
                         "Desc, spaced,Unknown", "Game,Game.MD,Unknown,found",
                         "Game,Game.MD,Unknown,found", "Last,last,Unknown",
                         "Pac Man,pacman,Unknown", "Puzzle (U) [!],Puzzle (U) [!].md,Unknown,found",
                         "Puzzle (U) [!],Puzzle (U) [!].md,Unknown,found",
                         "folder,folder.md,Unknown,found", "folder,folder.md,Unknown,found"}));
    EXPECT_EQ(findNameIndex(NameIndex, "Game.MD")->RomDirectory, roms.string());
    EXPECT_TRUE(findNameIndex(NameIndex, "last"));
    resetCatalogue();
}

TEST(Discovery, TwoRomFolderEmulatorsLoadSortedAndFiltered)
{
    startTestPlatform();
    fs::path dir = freshDirectory();
    fs::create_directories(dir / "gen");
    fs::create_directories(dir / "sms");
    touch(dir / "gen" / "Zany (U) [!].bin");
    touch(dir / "gen" / "Bravo (J).bin");
    touch(dir / "sms" / "Alpha (E).SMS");
    useConfig(dir / "torvanell.ini",
              "[Settings]\nEmulators=Genesis,Master System\n[Genesis]\nRomPath=" +
                  (dir / "gen").string() +
                  "\nRomFileExt=bin\nUseGoodFilters=1\nShowUSA=1\nShowVerified=1\n"
                  "Game1=Hand Made,hand\n[Master System]\nRomPath=" +
                  (dir / "sms").string() + "\nRomFileExt=sms\n");
    resetCatalogue();
    loadFrontendSettings();
    ASSERT_EQ(loadCatalogue(), 1);
    std::vector<std::string> shown;
    for (const Game* game : VisibleGames) shown.push_back(game->Name);
    EXPECT_EQ(shown, (std::vector<std::string>{"Alpha (E).SMS", "hand", "Zany (U) [!].bin"}));
    resetCatalogue();
    platformStop();
}
