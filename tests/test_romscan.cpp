// Name codes of real ROM-collection file names, ROM discovery and hand-listed games.
#include "catalogue/emulators.h"
#include "catalogue/romscan.h"
#include "core/frontend.h"
#include "support.h"

#include <algorithm>
#include <cctype>
#include <cstring>

static std::vector<int> rowsOf(const NameCodeFlags& flags)
{
    std::vector<int> rows;
    for (int i = 0; i < NameCodeCount; i++)
        if (flags.Flags[i]) rows.push_back(i);
    return rows;
}

static std::vector<int> rowsOf(const std::string& text)
{
    return rowsOf(*decodeNameCodes(text));
}

static std::vector<std::string> readLines(const fs::path& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
    {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

TEST(NameCodes, CodesDoNotOverlapAndBracketsMatchOpen)
{
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"Puzzle (U) [!]", {9, 30}},
        {"Game (UK)", {31}},
        {"Game (Unl) (Unk)", {11, 32}},
        {"Game (FC) (FN) (GR) (HK) (NL) (SW)", {18, 19, 21, 22, 26, 29}},
        {"Game (F) (G) (S) (1) (4) (A) (B) (C) (I) (K)", {12, 13, 14, 15, 17, 20, 23, 25, 28, 33}},
        {"Game [f1] [p1] [o2] [t3] [T-Fre] [h2] [b1] [a3] (PD) (Beta)",
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 27}},
        {"Game (u) (j) [T", {8}}, // letter case counts
        {"Hacker's Tale", {4}},   // "Hack" anywhere
        {"", {}},
        {"Sonic the Hedgehog (UE) (REV01)", {}},
    };
    for (const auto& [name, rows] : cases) EXPECT_EQ(rowsOf(name), rows) << name;
}

// Every real name of three ROM collections, found as files, with name codes checked by hand.
TEST(NameCodes, RealCollectionNamesFoundAsFiles)
{
    fs::path data = fs::path(TORVANELL_REALDATA) / "goodtools";
    struct
    {
        const char *List, *Extension;
    } sets[] = {{"GoodGG 3.20.romnames.txt", "gg"},
                {"GoodSMS 3.20.romnames.txt", "sms"}, // the files say ".SMS"
                {"GoodGen 3.21.romnames.txt", "bin"}};
    resetCatalogue();
    NameIndex = createNameIndex(1000);
    size_t expected = 0;
    for (const auto& set : sets)
    {
        fs::path dir = freshDirectory(set.Extension);
        for (const std::string& name : readLines(data / set.List))
        {
            touch(dir / name);
            std::string tail = name.substr(name.size() - strlen(set.Extension));
            std::transform(tail.begin(), tail.end(), tail.begin(), ::tolower);
            if (tail == set.Extension && name[name.size() - tail.size() - 1] == '.') expected++;
        }
        addEmulator(set.Extension, dir.string(), set.Extension);
        discoverRoms(EmulatorTable.back(), (int)EmulatorTable.size() - 1);
    }
    ASSERT_GT(expected, 10000u);
    EXPECT_EQ(AllGames.size(), expected);
    for (const Game* game : AllGames)
    {
        const std::string& extension = EmulatorTable[game->EmulatorIndex]->RomFileExt;
        EXPECT_EQ(game->Description.size() + 1 + extension.size(), game->Name.size());
        EXPECT_EQ(game->Name.compare(0, game->Description.size(), game->Description), 0);
        ASSERT_TRUE(game->NameCodes);
    }

    const std::pair<const char*, std::vector<int>> samples[] = {
        {"5 in 1 Funpak (U) [!].gg", {9, 30}},
        {"Hang-On & Safari Hunt (UK) [!].SMS", {9, 31}},
        {"Head Buster (J) [T+Eng.99_Chris Covell].gg", {8, 24}},
        {"Pokemon Legends (Eternal Legend Hack).gg", {4}},
        {"3 Ninjas Kick Back (U) [h1C].bin", {4, 30}},
        {"Ax Battler - A Legend of Golden Axe (UE) (V2.4) [T+Fre][a1].gg", {0, 8}},
        {"Asterix and the Great Rescue (E) (M5) [!].gg", {9, 10, 16}},
        {"Chuck Rock (JUEB) [t1][o1].gg", {5, 7}},
        {"Hang-On & Safari Hunt (Prototype).SMS", {}},
        {"SMS BIOS V3.4 (Hang-On) (F) [!].SMS", {9, 17}},
    };
    for (const auto& [name, rows] : samples)
    {
        const Game* game = findNameIndex(NameIndex, name);
        ASSERT_TRUE(game) << name;
        EXPECT_EQ(rowsOf(*game->NameCodes), rows) << name;
    }
    EXPECT_EQ(findNameIndex(NameIndex, "Hang-On & Safari Hunt (UK) [!].SMS")->Description,
              "Hang-On & Safari Hunt (UK) [!]");
    resetCatalogue();
}

TEST(Discovery, FoldersFilesAndOddNames)
{
    fs::path dir = freshDirectory();
    fs::path roms = dir / "roms";
    fs::path locked = dir / "locked";
    fs::create_directories(roms);
    fs::create_directories(locked);
    const char* names[] = {"Puzzle (U) [!].md", "Game.MD", "it's \"quoted\" $HOME; rm -rf.md",
                           "line\nbreak.md", "bad \xff\xfe bytes.md"};
    for (const char* name : names) touch(roms / name);
    touch(roms / "notes.txt");
    touch(roms / "Game.mdx");
    fs::create_directory(roms / "folder.md"); // directories are listed too
    touch(locked / "hidden.md");
    fs::permissions(locked, fs::perms::none);
    touch(dir / "plain-file");

    useConfig(dir / "torvanell.ini",
              "[Genesis]\nGame1=Pac Man,pacman\nGame2=OnlyOne\nGame3=Desc, spaced,extra\n"
              "Game4=,,,\nGame5=Last,last\nGame7=Never,never\n");
    resetCatalogue();
    std::string romPath = (dir / "missing").string() + ",," + (dir / "plain-file").string() + "," +
                          roms.string() + "," + locked.string() + "," + roms.string() + "/";
    addEmulator("Genesis", romPath, "md");
    discoverRoms(EmulatorTable[0], 0);
    fs::permissions(locked, fs::perms::owner_all);

    std::vector<const Game*> fromRoms;
    for (const Game* game : AllGames)
        if (game->RomDirectory.rfind(roms.string(), 0) == 0) fromRoms.push_back(game);
    ASSERT_EQ(fromRoms.size(), 12u); // six entries found through two items of RomPath
    EXPECT_EQ(std::count_if(fromRoms.begin(), fromRoms.end(),
                            [&](const Game* g) { return g->RomDirectory == roms.string(); }),
              6);
    auto described = [&](const std::string& description)
    {
        return std::count_if(fromRoms.begin(), fromRoms.end(),
                             [&](const Game* game)
                             {
                                 return game->Description == description &&
                                        game->Manufacturer == "Unknown" && game->Available == 1 &&
                                        game->Year == 0 && game->EmulatorIndex == 0;
                             });
    };
    for (std::string description : {"Puzzle (U) [!]", "Game", "it's \"quoted\" $HOME; rm -rf",
                                    "line\nbreak", "bad \xff\xfe bytes", "folder"})
        EXPECT_EQ(described(description), 2) << description;

    // Hand-listed: a value of fewer than two items is passed over; the first empty value
    // (Game6) ends the list.
    std::vector<std::string> listed;
    for (const Game* game : AllGames)
        if (game->RomDirectory.empty()) listed.push_back(game->Description + "," + game->Name);
    EXPECT_EQ(listed, (std::vector<std::string>{"Pac Man,pacman", "Desc, spaced", "Last,last"}));
    EXPECT_LE(AllGames.size() - fromRoms.size() - listed.size(), 1u); // root reads "locked"
    resetCatalogue();
}

TEST(Discovery, AddsToTheNameIndexWhenThereIsOne)
{
    fs::path dir = freshDirectory();
    touch(dir / "Sonic (W) [!].zip");
    useConfig(dir / "torvanell.ini", "[Genesis]\nGame1=Hand,hand\n");
    resetCatalogue();
    addEmulator("Genesis", dir.string(), "zip");
    discoverRoms(EmulatorTable[0], 0);
    EXPECT_EQ(AllGames.size(), 2u);
    EXPECT_EQ(NameIndex, nullptr);

    NameIndex = createNameIndex(2);
    discoverRoms(EmulatorTable[0], 0);
    ASSERT_EQ(AllGames.size(), 4u);
    EXPECT_EQ(findNameIndex(NameIndex, "Sonic (W) [!].zip"), AllGames[2]);
    EXPECT_EQ(findNameIndex(NameIndex, "hand"), AllGames[3]);
    resetCatalogue();
}

// The whole road: two ROM-folder emulators and hand-listed games load, sorted and filtered.
TEST(Discovery, TwoRomFolderEmulatorsLoad)
{
    startTestPlatform();
    fs::path dir = freshDirectory();
    fs::create_directories(dir / "gen");
    fs::create_directories(dir / "sms");
    touch(dir / "gen" / "Zany (U) [!].bin");
    touch(dir / "gen" / "Bravo (J).bin");
    touch(dir / "sms" / "Alpha (E).SMS");
    useConfig(dir / "torvanell.ini",
              "[Settings]\nEmulators=Genesis,Master System\n"
              "[Genesis]\nRomPath=" +
                  (dir / "gen").string() +
                  "\nRomFileExt=bin\nUseGoodFilters=1\nShowUSA=1\nShowVerified=1\n"
                  "Game1=Hand Made,hand\n"
                  "[Master System]\nRomPath=" +
                  (dir / "sms").string() + "\nRomFileExt=sms\n");
    resetCatalogue();
    loadFrontendSettings();
    ASSERT_EQ(loadCatalogue(), 1);
    std::vector<std::string> shown;
    for (const Game* game : VisibleGames) shown.push_back(game->Name);
    EXPECT_EQ(shown, (std::vector<std::string>{"Alpha (E).SMS", "hand", "Zany (U) [!].bin"}));

    resetCatalogue();
}
