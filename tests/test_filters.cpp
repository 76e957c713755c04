// Which MAME games have their zip file, the order of AllGames and the filters of the list.
#include "catalogue/filters.h"
#include "catalogue/players.h"
#include "catalogue/romscan.h"
#include "core/frontend.h"
#include "support.h"

// The names of the games shown, each followed by a comma.
static std::string visible()
{
    rebuildVisibleGames();
    std::string names;
    for (const Game* game : VisibleGames) names += game->Name + ",";
    return names;
}

TEST(Filters, ZipFilesMarkTheFirstGameOfThatExactNameAndTheOrderIsByBytes)
{
    FrontendState.CurrentEmulator = -1;
    fs::path one = freshDirectory("zips1"), two = freshDirectory("zips2");
    for (const char* zip : {"pacman.zip", "DKONG.zip", "galaga.ZIP", "a.zip"}) touch(one / zip);
    fs::create_directory(two / "1942.zip");
    addMame("/nowhere;;" + one.string() + ";" + two.string() + ";" + (one / "a.zip").string());
    addEmulator("Other");
    for (const char* name : {"pacman", "pacman", "dkong", "galaga", "1942", "pac", "a"})
        addGame(name);
    addGame("pacman", 1)->Available = 0; // other emulators are left alone
    markAvailableGames(0);
    std::string available;
    for (const auto& game : AllGames) available += std::to_string(game->Available);
    EXPECT_EQ(available, "10011010");

    resetCatalogue();
    addEmulator("Any");
    for (const char* name : {"alpha", "\xe9t\xe9", "Zork", "abcd", "abc", "", "Zork"})
        addGame(name);
    sortAllGames();
    EXPECT_EQ(visible(), ",Zork,Zork,abc,abcd,alpha,\xe9t\xe9,");
    resetCatalogue();
}

// Filter fields: missing, vertical, horizontal, clones, Neo-Geo, other, vector, raster, then
// the least and most players, buttons and coins, and the controller types. Games: 2 and 1
// players, Neo-Geo and NeoGeo, vertical raster, horizontal vector, missing, a clone, a clone of
// the missing game, an orphan and a BIOS.
TEST(Filters, MameFiltersAsTheMenuSetsThemNameCodesAndTheChosenEmulator)
{
    FrontendState.CurrentEmulator = -1;
    addMame();
    for (const char* name : {"2", "1", "n", "N", "v", "h", "m", "c", "cm", "o", "b"}) addGame(name);
    AllGames[0]->Input = InputInfo{2, 4, 2, 1, 0};
    AllGames[1]->Input = InputInfo{1, 0, 1, 8, 0};
    AllGames[2]->RomOf = "neogeo";
    AllGames[3]->RomOf = "NeoGeo";
    AllGames[4]->Video =
        std::make_unique<VideoInfo>(VideoInfo{"raster", OrientationVertical, 0, 0});
    AllGames[5]->Video =
        std::make_unique<VideoInfo>(VideoInfo{"vector", OrientationHorizontal, 0, 0});
    AllGames[6]->Available = 0;
    for (auto [clone, parent] : {std::pair{7, 0}, {8, 6}})
    {
        AllGames[clone]->Parent = AllGames[parent].get();
        AllGames[clone]->CloneOf = AllGames[parent]->Name;
    }
    AllGames[9]->CloneOf = "gone";
    AllGames[10]->NotRunnable = 1;
    const std::pair<MameFilter, std::string> cases[] = {
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127}, "2,1,n,N,v,h,c,"},
        {{1, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127}, "2,1,n,N,v,h,m,c,cm,o,"},
        {{0, 1, 1, 0, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127}, "2,1,n,N,v,h,"},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 8, 0, 8, 127}, "1,n,N,v,h,c,"},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 4, 4, 0, 8, 127}, "2,n,N,v,h,c,"},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 2, 2, 127}, "2,n,N,v,h,c,"},
        {{0, 1, 1, 1, 1, 1, 1, 1, 0, 8, 0, 8, 0, 8, 1}, "2,n,N,v,h,c,"},
        {{0, 1, 1, 1, 1, 0, 1, 1, 0, 8, 0, 8, 0, 8, 127}, "n,"},
        {{0, 1, 1, 1, 0, 1, 1, 1, 0, 8, 0, 8, 0, 8, 127}, "2,1,N,v,h,c,"},
        {{0, 0, 1, 1, 1, 1, 0, 1, 0, 8, 0, 8, 0, 8, 127}, "2,1,n,N,c,"},
        {{0, 1, 0, 1, 1, 1, 1, 0, 0, 8, 0, 8, 0, 8, 127}, "2,1,n,N,c,"},
    };
    for (const auto& [filter, shown] : cases)
    {
        *EmulatorTable[0]->MachineFilter = filter;
        EXPECT_EQ(visible(), shown) << &filter - &cases[0].first;
    }
    resetCatalogue();

    // Name codes, and the emulator chosen.
    Emulator* genesis = addEmulator("Genesis");
    genesis->UseGoodFilters = 1;
    genesis->CodeFilter = std::make_unique<NameCodeFilter>();
    addEmulator("Hidden")->IncludeInAll = 0;
    for (const char* description : {"Clean", "Puzzle (U)", "Puzzle (U) [!]"})
        addGame(description)->RomFile =
            std::make_unique<RomFileInfo>(RomFileInfo{"", decodeNameCodes(description)});
    addGame("hand-listed"); // no name codes at all
    addGame("hidden", 1);
    FrontendState.CurrentEmulator = 0;
    genesis->CodeFilter->Flags[9] = 1; // verified, but not USA: both codes must be shown
    EXPECT_EQ(visible(), "Clean,hand-listed,");
    genesis->CodeFilter->Flags[30] = 1;
    EXPECT_EQ(visible(), "Clean,Puzzle (U),Puzzle (U) [!],hand-listed,");
    FrontendState.CurrentEmulator = 1; // left out of "All", still shown on its own
    EXPECT_EQ(visible(), "hidden,");
    FrontendState.CurrentEmulator = -1;
    genesis->UseGoodFilters = 0; // codes count only with UseGoodFilters
    genesis->CodeFilter->Flags[30] = 0;
    EXPECT_EQ(visible(), "Clean,Puzzle (U),Puzzle (U) [!],hand-listed,");
    resetCatalogue();
}

// Every empty list says why, one line per emulator in view.
TEST(Filters, AnEmptyListSaysWhy)
{
    fs::path roms = freshDirectory("emptyroms");
    touch(roms / "readme.txt");
    resetCatalogue();
    addMame((roms / "none").string());
    for (const char* name : {"a", "b"}) addGame(name)->Available = 0;
    addMame(roms.string())->Name = "MAME two";
    addGame("c", 1)->Available = 0;
    addGame("d", 1)->CloneOf = "c";
    addEmulator("Console", (roms / "missing").string(), "md");
    addEmulator("Carts", roms.string(), "md");
    addEmulator("MAEM")->SectionFound = 0;
    Emulator* hacks = addEmulator("Hacks", roms.string(), "md");
    hacks->UseGoodFilters = 1;
    hacks->CodeFilter = std::make_unique<NameCodeFilter>();
    addEmulator("Listed");
    Game* hack = addGame("h [h]", 5);
    hack->RomFile = std::make_unique<RomFileInfo>();
    hack->RomFile->Codes.Flags[0] = 1;
    FrontendState.CurrentEmulator = AllEmulators;
    EXPECT_EQ(visible(), "");
    std::vector<std::string> expected = {
        "MAME: ROM folder not found: " + (roms / "none").string(),
        "MAME two: all 2 games hidden: 2 without their zip in " + roms.string(),
        "Console: ROM folder not found: " + (roms / "missing").string(),
        "Carts: no file with the extension .md in " + roms.string(),
        "MAEM: emulator section not found: [MAEM]",
        "Hacks: its 1 game hidden: 1 by the name-code filters",
        "Listed: no games listed and no ROM folder (RomPath)",
    };
    EXPECT_EQ(emptyListReasons(), expected);
    FrontendState.CurrentEmulator = FavouriteGames;
    EXPECT_EQ(emptyListReasons().size(), 1u);
    FrontendState.CurrentEmulator = AllEmulators;
    resetCatalogue();
}

// Games x cabinets: what each needs (a bit per control type, "other" for a type no list knew)
// against the cabinet's list as an owner types it; a game without controls always shows.
TEST(Filters, TheCabinetsControlsHideWhatItCannotPlay)
{
    resetCatalogue();
    FrontendState.CurrentEmulator = 0;
    Emulator* mame = addMame();
    const uint32_t joy = controlTypeBit("joy"), buttons = controlTypeBit("only_buttons");
    const std::pair<const char*, uint32_t> games[] = {{"pacman", joy},
                                                      {"duckhunt", controlTypeBit("lightgun")},
                                                      {"quiz", buttons},
                                                      {"mahjong", controlTypeBit("Mahjong ")},
                                                      {"racer", joy | buttons},
                                                      {"future", controlTypeBit("hoverboard")},
                                                      {"plain", 0}};
    for (const auto& [name, types] : games) addGame(name)->Input = InputInfo{1, 1, 1, 8, types};
    addGame("noinput");
    EXPECT_EQ(controlTypeBit("joy8way"), joy);
    EXPECT_EQ(controlTypeBit("DoubleJoy4way"), controlTypeBit("doublejoy"));
    EXPECT_EQ(controlTypeBit(" "), 0u);
    const std::pair<const char*, std::string> cabinets[] = {
        {"", "pacman,duckhunt,quiz,mahjong,racer,future,plain,noinput,"},
        {"joy", "pacman,plain,noinput,"},
        {" JOY , Only_Buttons,,", "pacman,quiz,racer,plain,noinput,"},
        {"joy, lightgun, jetpack", "pacman,duckhunt,plain,noinput,"},
        {"jetpack", "pacman,duckhunt,quiz,mahjong,racer,future,plain,noinput,"}};
    for (const auto& [cabinet, shown] : cabinets)
    {
        FrontendSettings.CabinetControls = cabinet;
        std::string told = stderrOf([] { rebuildVisibleGames(); });
        EXPECT_EQ(visible(), shown) << cabinet;
        EXPECT_EQ(told.find("jetpack") != std::string::npos,
                  std::string(cabinet).find("jetpack") != std::string::npos)
            << told;
    }
    mame->CabinetOnly = 0;
    FrontendSettings.CabinetControls = "joy";
    EXPECT_EQ(visible(), "pacman,duckhunt,quiz,mahjong,racer,future,plain,noinput,");
    FrontendSettings.CabinetControls.clear();
    resetCatalogue();
}

// The players file's values, and the bounds with and without the players at once counted:
// the file's line, else the parent's, else the list's players.
TEST(Filters, PlayersAtOnceCountTheFilesLineOrTheParentsOrTheLists)
{
    const std::pair<const char*, std::pair<int, int>> values[] = {{"2P sim", {2, 0}},
                                                                  {"4P alt / 2P sim", {2, 4}},
                                                                  {" 8P alt /2P sim ", {2, 8}},
                                                                  {"1P", {0, 0}},
                                                                  {"2P", {0, 0}},
                                                                  {"P sim", {0, 0}},
                                                                  {"99999P sim", {0, 0}},
                                                                  {"2P sim / ???", {0, 0}},
                                                                  {"???", {0, 0}},
                                                                  {"Pinball", {0, 0}},
                                                                  {"", {0, 0}},
                                                                  {"12P sim", {12, 0}}};
    for (const auto& [text, counts] : values)
    {
        PlayerCounts parsed = parsePlayersValue(text);
        EXPECT_EQ(std::pair(int(parsed.Together), int(parsed.InTurn)), counts) << text;
    }
    fs::path dir = freshDirectory("players");
    writeText(dir / "nplayers.ini", "\xEF\xBB\xBF;; players\r\n[Other]\r\nsim=4P sim\r\n"
                                    "[NPlayers]\r\nsim=2P sim\r\nalt=2P alt\r\nno equals\r\n"
                                    "odd=???\r\nsim=4P sim\r\nmixed=4P alt / 2P sim\r\n");
    resetCatalogue();
    FrontendState.CurrentEmulator = 0;
    Emulator* mame = addMame();
    for (const char* name : {"sim", "alt", "odd", "mixed", "clone", "plain", "noinput"})
        addGame(name)->Input = InputInfo{4, 1, 1, 8, 0};
    AllGames[4]->CloneOf = "alt";
    AllGames[4]->Parent = AllGames[1].get();
    AllGames.back()->Input.reset();
    mame->PlayersFile = (dir / "missing.ini").string();
    EXPECT_NE(stderrOf([] { EXPECT_EQ(loadPlayersFile(0), 0); }).find("missing.ini"),
              std::string::npos);
    mame->PlayersFile = (dir / "nplayers.ini").string();
    EXPECT_EQ(loadPlayersFile(0), 1);
    EXPECT_EQ(playersText(*AllGames[3]), "2 players at once, 4 alternating");
    EXPECT_EQ(playersText(*AllGames[4]), "2 alternating");
    EXPECT_EQ(playersText(*AllGames[5]), "4 players");
    mame->MachineFilter->MaxPlayers = 2;
    EXPECT_EQ(visible(), "noinput,");
    mame->PlayersAtOnce = 1;
    EXPECT_EQ(visible(), "sim,alt,mixed,clone,noinput,");
    mame->MachineFilter->MinPlayers = 2;
    EXPECT_EQ(visible(), "sim,mixed,noinput,");
    resetCatalogue();
}

// The search narrows by description or name, letter case not counted; the random game is
// never the one selected while there is another.
TEST(Filters, SearchNarrowsAndTheRandomGameMovesOn)
{
    resetCatalogue();
    FrontendState.CurrentEmulator = 0;
    addEmulator("Any");
    for (const char* name : {"pacman", "galaga", "sf2", "mspacman"}) addGame(name);
    AllGames[1]->Description = "Galaga '88";
    AllGames[2]->Description = "Street Fighter II";
    addGame("Sonic.md")->Description = "Sonic";
    AllGames[4]->RomFile = std::make_unique<RomFileInfo>();
    std::vector<Game*> all;
    for (auto& game : AllGames) all.push_back(game.get());
    const std::pair<const char*, int> searches[] = {
        {"PAC", 2}, {"pac", 2}, {"A", 3},       {"SF2", 1},   {"T F", 1},
        {"88", 1},  {"", 5},    {"PACMANX", 0}, {"SONIC", 1}, {"MD", 0}};
    for (const auto& [text, found] : searches)
        EXPECT_EQ((int)narrowGames(all, text).size(), found) << text;
    SearchText = "MS";
    EXPECT_EQ(visible(), "mspacman,");
    SearchText.clear();
    EXPECT_EQ(otherGameAt(0, 0, 7), -1);
    EXPECT_EQ(otherGameAt(0, 1, 7), 0);
    for (int current = 0; current < 3; current++)
        for (uint64_t draw = 0; draw < 10; draw++)
        {
            int other = otherGameAt(current, 3, draw);
            EXPECT_TRUE(other >= 0 && other < 3 && other != current) << current << " " << draw;
        }
    resetCatalogue();
}
