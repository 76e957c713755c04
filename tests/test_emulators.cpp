// The emulator list, each emulator's section, the filter records and writing them back.
#include "catalogue/emulators.h"
#include "support.h"

// The keys of a section in the order the file holds them, each followed by a blank.
static std::string keysOf(const std::string& text, const std::string& section)
{
    std::istringstream lines(text.substr(text.find("[" + section + "]\n") + section.size() + 3));
    std::string keys;
    for (std::string line; std::getline(lines, line) && line[0] != '[';)
        if (line.find('=') != std::string::npos) keys += line.substr(0, line.find('=')) + " ";
    return keys;
}

static Emulator* findEmulator(const std::string& name)
{
    for (Emulator* emulator : EmulatorTable)
        if (emulator->Name == name) return emulator;
    return nullptr;
}

TEST(SplitList, SkipsEmptyItemsKeepsSpacesAndRunsTwoSplitsAtOnce)
{
    char first[] = ",,a b,,c, d,";
    char second[] = "x;y";
    char* cursorA = nullptr;
    char* cursorB = nullptr;
    EXPECT_STREQ(splitList(first, ",", &cursorA), "a b");
    EXPECT_STREQ(splitList(second, ";", &cursorB), "x");
    EXPECT_STREQ(splitList(nullptr, ",", &cursorA), "c");
    EXPECT_STREQ(splitList(nullptr, ";", &cursorB), "y");
    EXPECT_STREQ(splitList(nullptr, ",", &cursorA), " d");
    EXPECT_EQ(splitList(nullptr, ",", &cursorA), nullptr);
    EXPECT_EQ(splitList(nullptr, ";", &cursorB), nullptr);
    EXPECT_EQ(splitList(nullptr, ";", &cursorB), nullptr); // asking again stays at the end

    char* none = nullptr;
    EXPECT_EQ(splitList(nullptr, ",", &none), nullptr);

    EXPECT_EQ(splitListItems(",a;;b ,;c", ",;"), (std::vector<std::string>{"a", "b ", "c"}));
    EXPECT_TRUE(splitListItems(std::string(10000, ','), ",").empty());
    EXPECT_TRUE(splitListItems("", ",").empty());
}

TEST(Emulators, ListAndSectionsWithTheirDefaults)
{
    useConfig(freshDirectory() / "list.ini",
              "[Settings]\r\n"
              "Emulators=,MAME,,Genesis, Spaced,mameplus,MAM, Mame2,\r\n"
              "[MAME]\r\n"
              "DisplayClones=0\r\n"
              "MaxPlayers=2\r\n"
              "ControllerTypes=8\r\n"
              "UseGoodFilters=\r\n"
              "[Genesis]\r\n"
              "RomPath=/roms/a,/roms/b\r\n"
              "Executable=gens\r\n"
              "RomFileExt=bin\r\n"
              "IncludeInAll=0\r\n"
              "SendKeys={F1}\r\n"
              "UseGoodFilters=1\r\n"
              "ShowUSA=1\r\n"
              "ShowVerified=1\r\n");
    loadEmulators();
    ASSERT_EQ(EmulatorTable.size(), 6u);
    EXPECT_EQ(EmulatorTable[2]->Name, " Spaced");

    const Emulator* mame = findEmulator("MAME");
    ASSERT_TRUE(mame && mame->IsMame && mame->MameFilter);
    EXPECT_EQ(mame->Executable, "MAME");
    EXPECT_EQ(mame->RomFileExt, "zip");
    EXPECT_EQ(mame->IncludeInAll, 1);
    EXPECT_EQ(mame->MameFilter->DisplayClones, 0);
    EXPECT_EQ(mame->MameFilter->DisplayVertical, 1);
    EXPECT_EQ(mame->MameFilter->DisplayMissingRoms, 0);
    EXPECT_EQ(mame->MameFilter->MaxPlayers, 2);
    EXPECT_EQ(mame->MameFilter->MaxCoins, 8);
    EXPECT_EQ(mame->MameFilter->ControllerTypes, 8);
    // Present but empty counts as set: only "0" is false. Both filter records then exist.
    EXPECT_EQ(mame->UseGoodFilters, 1);
    ASSERT_TRUE(mame->NameCodeFilter);

    const Emulator* genesis = findEmulator("Genesis");
    ASSERT_TRUE(genesis);
    EXPECT_FALSE(genesis->IsMame);
    EXPECT_FALSE(genesis->MameFilter);
    EXPECT_EQ(genesis->Executable, "gens");
    EXPECT_EQ(genesis->RomPath, "/roms/a,/roms/b");
    EXPECT_EQ(genesis->RomFileExt, "bin");
    EXPECT_EQ(genesis->SendKeys, "{F1}");
    EXPECT_EQ(genesis->IncludeInAll, 0);
    ASSERT_TRUE(genesis->NameCodeFilter);
    for (int i = 0; i < NameCodeCount; i++)
        EXPECT_EQ(genesis->NameCodeFilter->Flags[i], i == 9 || i == 30) << i;

    const Emulator* spaced = findEmulator(" Spaced");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->Executable, " Spaced");
    EXPECT_EQ(spaced->UseGoodFilters, 0);
    EXPECT_FALSE(spaced->NameCodeFilter);
    EXPECT_FALSE(spaced->MameFilter);
    EXPECT_EQ(spaced->ExecPath, "");
    EXPECT_EQ(spaced->CmdLine, "");

    EXPECT_TRUE(findEmulator("mameplus")->IsMame);
    EXPECT_TRUE(findEmulator("mameplus")->MameFilter);
    EXPECT_FALSE(findEmulator("MAM")->IsMame);
    EXPECT_TRUE(findEmulator(" Mame2")->IsMame);

    useConfig(freshDirectory() / "list-empty.ini", "[Settings]\nEmulators=,,,\n");
    loadEmulators();
    EXPECT_TRUE(EmulatorTable.empty());
    FrontendSettings.ConfigFile = (freshDirectory() / "missing.ini").string();
    loadEmulators();
    EXPECT_TRUE(EmulatorTable.empty());
    freeEmulators();
}

TEST(Emulators, MameFilterNumbersAreKeptInSixteenBits)
{
    useConfig(freshDirectory() / "numbers.ini",
              "[Settings]\nEmulators=MAME\n"
              "[MAME]\nMinPlayers=3x\nMaxPlayers=65537\nMinButtons=\n"
              "ControllerTypes=65536\nMaxCoins=abc\n");
    std::unique_ptr<MameFilter> filter = readMameFilter("MAME");
    EXPECT_EQ(filter->MinPlayers, 3);
    EXPECT_EQ(filter->MaxPlayers, 1);
    EXPECT_EQ(filter->MinButtons, 0);
    EXPECT_EQ(filter->ControllerTypes, 0);
    EXPECT_EQ(filter->MaxCoins, 0);
    EXPECT_EQ(filter->MaxButtons, 8);

    std::unique_ptr<NameCodeFilter> codes = readNameCodeFilter("Nowhere");
    for (int flag : codes->Flags) EXPECT_EQ(flag, 0);
}

TEST(Emulators, FiltersAreWrittenBackInTheirOrderAndReadAgain)
{
    std::string file =
        useConfig(freshDirectory() / "save.ini", "; kept comment\n"
                                                 "[Settings]\nEmulators=MAME,Genesis,Plain\n"
                                                 "[Genesis]\nUseGoodFilters=1\n"
                                                 "[Plain]\nRomPath=/x\n");
    loadEmulators();
    ASSERT_EQ(EmulatorTable.size(), 3u);
    EmulatorTable[0]->MameFilter->MinPlayers = -2;
    EmulatorTable[0]->MameFilter->DisplayVector = 0;
    EmulatorTable[0]->MameFilter->ControllerTypes = 65535;
    EmulatorTable[1]->NameCodeFilter->Flags[4] = 1;  // ShowHacks
    EmulatorTable[1]->NameCodeFilter->Flags[30] = 1; // ShowUSA
    saveEmulatorFilters();

    // Keys new to a section are appended as written, so the file shows the order: name codes
    // alphabetically without regard to letter case, then the MAME filters.
    std::string text = readText(file);
    EXPECT_EQ(keysOf(text, "Genesis"),
              "UseGoodFilters ShowAlternates ShowAustralia ShowBadDumps ShowBetas ShowChina "
              "ShowEngland ShowEurope ShowFinland ShowFixed ShowFrance ShowFrenchCanadian "
              "ShowGermany ShowGreece ShowHacks ShowHongKong ShowItaly ShowJapan ShowJapanAndKorea "
              "ShowKorea ShowMultiLanguage ShowNetherlands ShowNonUSAGenesis ShowOverDumps "
              "ShowPirate ShowPublicDomain ShowSpain ShowSweden ShowTrainers ShowTranslations "
              "ShowUnknownCountry ShowUnlicensed ShowUSA ShowUSAAndBrazilNTSC ShowVerified ");
    EXPECT_EQ(keysOf(text, "MAME"), "DisplayMissingRoms DisplayVertical DisplayHorizontal "
                                    "DisplayClones DisplayNeoGeo DisplayNonNeoGeo DisplayVector "
                                    "DisplayRaster MinPlayers MaxPlayers MinButtons MaxButtons "
                                    "MinCoins MaxCoins ControllerTypes ");
    EXPECT_EQ(keysOf(text, "Plain"), "RomPath "); // an emulator without filters
    EXPECT_EQ(text.rfind("; kept comment\n", 0), 0u);
    EXPECT_NE(text.find("ControllerTypes=65535"), std::string::npos);

    loadEmulators();
    EXPECT_EQ(EmulatorTable[0]->MameFilter->DisplayVector, 0);
    EXPECT_EQ(EmulatorTable[0]->MameFilter->ControllerTypes, 65535);
    EXPECT_EQ(EmulatorTable[1]->NameCodeFilter->Flags[4], 1);
    EXPECT_EQ(EmulatorTable[1]->NameCodeFilter->Flags[30], 1);
    EXPECT_EQ(EmulatorTable[1]->NameCodeFilter->Flags[9], 0);
    EXPECT_FALSE(EmulatorTable[2]->NameCodeFilter);
    freeEmulators();
}

TEST(Emulators, HostileListsDoNotCrash)
{
    std::string names =
        std::string(10000, ',') + "A\"b$c;d" + std::string(5000, ',') + "\xff\xfe" + ",ok";
    useConfig(freshDirectory() / "hostile.ini", "[Settings]\nEmulators=" + names + "\n");
    loadEmulators();
    // The value is cut at the INI layer's limit; whatever items are left are emulators.
    for (const Emulator* emulator : EmulatorTable) EXPECT_FALSE(emulator->Name.empty());
    freeEmulators();
}
