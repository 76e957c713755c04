// Name codes of ROM-collection names, ROM discovery and hand-listed games.
#include "catalogue/emulators.h"
#include "catalogue/romscan.h"
#include "core/frontend.h"
#include "support.h"

TEST(RomScan, NameCodesRomFoldersAndHandListedGames)
{
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"Game (FC) (FN) (GR) (HK) (NL) (SW)", {18, 19, 21, 22, 26, 29}},
        {"Game (F) (G) (S) (1) (4) (A) (B) (C) (I) (K)", {12, 13, 14, 15, 17, 20, 23, 25, 28, 33}},
        {"Game [f1] [p1] [o2] [t3] [T-Fre] [h2] [b1] [a3] (PD) (Beta)",
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 27}},
        {"Game (u) (j) [T (Unl) (Unk)", {8, 11, 32}}, // letter case counts
        {"Hang-On & Safari Hunt (UK) [!]", {9, 31}},
        {"Asterix and the Great Rescue (E) (M5) [!]", {9, 10, 16}},
    };
    for (const auto& [name, rows] : cases)
    {
        std::vector<int> found;
        for (int i = 0; i < NameCodeCount; i++)
            if (decodeNameCodes(name).Flags[i]) found.push_back(i);
        EXPECT_EQ(found, rows) << name;
    }

    // ROM folders and hand-listed games.
    fs::path dir = freshDirectory(), roms = dir / "roms";
    fs::create_directories(roms / "folder.md"); // folders are listed too
    for (const char* name : {"Puzzle (U) [!].md", "Game.MD", "notes.txt", "Game.mdx"})
        touch(roms / name);
    touch(dir / "plain-file");
    useConfig(dir / "torvanell.ini",
              "[Genesis]\nGame1=Pac Man,pacman\nGame2=OnlyOne\nGame3=Desc, spaced,extra\n"
              "Game4=,,,\nGame5=Last,last\nGame7=Never,never\n");
    resetCatalogue();
    // Missing, empty and plain-file items are passed over; the same folder twice lists twice.
    std::string items = (dir / "missing").string() + ",," + (dir / "plain-file").string();
    addEmulator("Genesis", items + "," + roms.string() + "," + roms.string() + "/", "md");
    discoverRoms(EmulatorTable[0].get(), 0);
    std::vector<std::string> found;
    for (const auto& game : AllGames)
        found.push_back(game->Description + "," + game->Name + (game->RomFile ? "*" : ""));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"Desc, spaced", "Game,Game.MD*", "Game,Game.MD*",
                                               "Last,last", "Pac Man,pacman",
                                               "Puzzle (U) [!],Puzzle (U) [!].md*",
                                               "Puzzle (U) [!],Puzzle (U) [!].md*",
                                               "folder,folder.md*", "folder,folder.md*"}));
    EXPECT_EQ(romDirectoryOf(*findGame("Game.MD", 0)), roms.string());
    EXPECT_EQ(findGame("last", 0)->Manufacturer, "Unknown");
    resetCatalogue();
}
