// The emulator list, each emulator's section, the filter records and writing them back.
#include "catalogue/emulators.h"
#include "config/ini.h"
#include "config/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

static std::string useConfig(const char* name, const std::string& text)
{
    struct Parent
    {
        fs::path Path = fs::temp_directory_path() /
                        ("torvanell-emulators-" + std::to_string(std::random_device()()));
        ~Parent()
        {
            std::error_code ignored;
            fs::remove_all(Path, ignored);
        }
    };
    static Parent parent;
    fs::path dir = parent.Path;
    fs::create_directories(dir);
    fs::path file = dir / name;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    FrontendSettings.ConfigFile = file.string();
    return file.string();
}

static std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
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
    useConfig("list.ini", "[Settings]\r\n"
                          "Emulators=,MAME,,Genesis, Spaced,mameplus,MAM,\r\n"
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
    ASSERT_EQ(EmulatorTable.size(), 5u);
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

    useConfig("list-empty.ini", "[Settings]\nEmulators=,,,\n");
    loadEmulators();
    EXPECT_TRUE(EmulatorTable.empty());
    useConfig("list-missing.ini", "");
    fs::remove(FrontendSettings.ConfigFile);
    loadEmulators();
    EXPECT_TRUE(EmulatorTable.empty());
    freeEmulators();
}

TEST(Emulators, MameFilterNumbersAreKeptInSixteenBits)
{
    useConfig("numbers.ini", "[Settings]\nEmulators=MAME\n"
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
    std::string file = useConfig("save.ini", "; kept comment\n"
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

    std::string text = readText(file);
    const char* nameCodeOrder[] = {"ShowAlternates",
                                   "ShowAustralia",
                                   "ShowBadDumps",
                                   "ShowBetas",
                                   "ShowChina",
                                   "ShowEngland",
                                   "ShowEurope",
                                   "ShowFinland",
                                   "ShowFixed",
                                   "ShowFrance",
                                   "ShowFrenchCanadian",
                                   "ShowGermany",
                                   "ShowGreece",
                                   "ShowHacks",
                                   "ShowHongKong",
                                   "ShowItaly",
                                   "ShowJapan",
                                   "ShowJapanAndKorea",
                                   "ShowKorea",
                                   "ShowMultiLanguage",
                                   "ShowNetherlands",
                                   "ShowNonUSAGenesis",
                                   "ShowOverDumps",
                                   "ShowPirate",
                                   "ShowPublicDomain",
                                   "ShowSpain",
                                   "ShowSweden",
                                   "ShowTrainers",
                                   "ShowTranslations",
                                   "ShowUnknownCountry",
                                   "ShowUnlicensed",
                                   "ShowUSA",
                                   "ShowUSAAndBrazilNTSC",
                                   "ShowVerified"};
    // Keys new to the section are appended as written, so the file shows the order.
    size_t at = text.find("[Genesis]");
    ASSERT_NE(at, std::string::npos);
    for (const char* key : nameCodeOrder)
    {
        size_t next = text.find(std::string("\n") + key + "=", at);
        ASSERT_NE(next, std::string::npos) << key;
        EXPECT_GT(next, at) << key;
        at = next;
    }
    const char* mameOrder[] = {"DisplayMissingRoms", "DisplayVertical", "DisplayHorizontal",
                               "DisplayClones",      "DisplayNeoGeo",   "DisplayNonNeoGeo",
                               "DisplayVector",      "DisplayRaster",   "MinPlayers",
                               "MaxPlayers",         "MinButtons",      "MaxButtons",
                               "MinCoins",           "MaxCoins",        "ControllerTypes"};
    at = text.find("[MAME]");
    for (const char* key : mameOrder)
    {
        size_t next = text.find(std::string("\n") + key + "=", at);
        ASSERT_NE(next, std::string::npos) << key;
        EXPECT_GT(next, at) << key;
        at = next;
    }
    EXPECT_NE(text.find("; kept comment"), std::string::npos);
    size_t plain = text.find("[Plain]\nRomPath=/x\n"); // an emulator without filters
    ASSERT_NE(plain, std::string::npos);
    size_t after = text.find_first_not_of("\r\n", plain + strlen("[Plain]\nRomPath=/x\n"));
    EXPECT_TRUE(after == std::string::npos || text[after] == '[');
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
    useConfig("hostile.ini", "[Settings]\nEmulators=" + names + "\n");
    loadEmulators();
    // The value is cut at the INI layer's limit; whatever items are left are emulators.
    for (const Emulator* emulator : EmulatorTable) EXPECT_FALSE(emulator->Name.empty());
    freeEmulators();
}
