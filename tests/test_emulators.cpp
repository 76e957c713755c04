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

// An emulator's fields on one line: name, executable, path, extension, the flags, filters.
static std::string fieldsOf(const Emulator* e)
{
    std::ostringstream out;
    out << e->Name << "|" << e->Executable << "|" << e->RomPath << "|" << e->RomFileExt << "|"
        << e->SendKeys << "|" << e->IsMame << e->IncludeInAll << e->UseGoodFilters << "|";
    if (const MameFilter* f = e->MameFilter.get())
        out << f->DisplayMissingRoms << f->DisplayVertical << f->DisplayClones << " "
            << f->MaxPlayers << " " << f->MaxCoins << " " << f->ControllerTypes;
    out << "|";
    if (e->NameCodeFilter)
        for (int i = 0; i < NameCodeCount; i++)
            if (e->NameCodeFilter->Flags[i]) out << i << " ";
    return out.str();
}

TEST(SplitList, SkipsEmptyItemsKeepsSpacesAndRunsTwoSplitsAtOnce)
{
    char first[] = ",,a b,,c, d,", second[] = "x;y";
    char *cursorA = nullptr, *cursorB = nullptr, *none = nullptr;
    EXPECT_STREQ(splitList(first, ",", &cursorA), "a b");
    EXPECT_STREQ(splitList(second, ";", &cursorB), "x");
    EXPECT_STREQ(splitList(nullptr, ",", &cursorA), "c");
    EXPECT_STREQ(splitList(nullptr, ";", &cursorB), "y");
    EXPECT_STREQ(splitList(nullptr, ",", &cursorA), " d");
    EXPECT_EQ(splitList(nullptr, ",", &cursorA), nullptr);
    EXPECT_EQ(splitList(nullptr, ";", &cursorB), nullptr);
    EXPECT_EQ(splitList(nullptr, ";", &cursorB), nullptr); // asking again stays at the end
    EXPECT_EQ(splitList(nullptr, ",", &none), nullptr);
    EXPECT_EQ(splitListItems(",a;;b ,;c", ",;"), (std::vector<std::string>{"a", "b ", "c"}));
    EXPECT_TRUE(splitListItems(std::string(10000, ','), ",").empty());
}

TEST(Emulators, ListAndSectionsWithTheirDefaults)
{
    useConfig(
        freshDirectory() / "list.ini",
        "[Settings]\r\nEmulators=,MAME,,Genesis, Spaced,mameplus,MAM, Mame2,\r\n"
        "[MAME]\r\nDisplayClones=0\r\nMaxPlayers=2\r\nControllerTypes=8\r\nUseGoodFilters=\r\n"
        "[Genesis]\r\nRomPath=/roms/a,/roms/b\r\nExecutable=gens\r\nRomFileExt=bin\r\n"
        "IncludeInAll=0\r\nSendKeys={F1}\r\nUseGoodFilters=1\r\nShowUSA=1\r\n"
        "ShowVerified=1\r\n"
        "[Mame2]\r\nMinPlayers=3x\r\nMaxPlayers=65537\r\nControllerTypes=65536\r\n"
        "MaxCoins=abc\r\n");
    loadEmulators();
    std::vector<std::string> fields;
    for (const Emulator* emulator : EmulatorTable) fields.push_back(fieldsOf(emulator));
    // Present but empty counts as set: only "0" is false. Filter numbers keep sixteen bits.
    EXPECT_EQ(fields, (std::vector<std::string>{
                          "MAME|MAME||zip||111|010 2 8 8|",
                          "Genesis|gens|/roms/a,/roms/b|bin|{F1}|001||9 30 ",
                          " Spaced| Spaced||zip||010||",
                          "mameplus|mameplus||zip||110|011 8 8 127|",
                          "MAM|MAM||zip||010||",
                          " Mame2| Mame2||zip||110|011 1 0 0|",
                      }));

    useConfig(freshDirectory() / "list-empty.ini", "[Settings]\nEmulators=,,,\n");
    loadEmulators();
    EXPECT_TRUE(EmulatorTable.empty());
    freeEmulators();
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
    EmulatorTable[0]->MameFilter->DisplayClones = 0;
    EmulatorTable[0]->MameFilter->ControllerTypes = 65535;
    EmulatorTable[1]->NameCodeFilter->Flags[4] = 1;  // ShowHacks
    EmulatorTable[1]->NameCodeFilter->Flags[30] = 1; // ShowUSA
    std::vector<std::string> before;
    for (const Emulator* emulator : EmulatorTable) before.push_back(fieldsOf(emulator));
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

    loadEmulators();
    std::vector<std::string> after;
    for (const Emulator* emulator : EmulatorTable) after.push_back(fieldsOf(emulator));
    EXPECT_EQ(after, before);
    EXPECT_EQ(EmulatorTable[0]->MameFilter->MinPlayers, -2);
    freeEmulators();
}
