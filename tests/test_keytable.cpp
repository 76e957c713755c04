// The table of keys: mistyped keys and values are named with their line, the shipped files
// have none, every key the readers ask for is in the table, and the manual page is the table's.
#include "catalogue/keytable.h"
#include "catalogue/romscan.h"
#include "config/ini.h"
#include "support.h"

#include <map>
#include <set>

TEST(KeyTable, MistypedKeysAndValuesAreNamedWithTheirLine)
{
    fs::path dir = freshDirectory();
    std::string config =
        useConfig(dir / "cab.ini", "[Settings]\nEmulators=MAME, Genesis\nAllowMenu=yes\n"
                                   "ScreenSaverStartIntervall=30\nScrollBorderPct=12%\n"
                                   "MenuType=imagebrowser\nPreviewBackgroundcolor=white\n"
                                   "; Skin=commented out\nAllowMenu=0\nRotation=45\n"
                                   "[MAME]\nMaxPlayers=-3\nMaxButtons=six\nGame7=A,b\n"
                                   "[Genesis]\nMinPlayers=2\nShowEurope=1\nGame12=Sonic,sonic\n"
                                   "[Unlisted]\nAnything=at all\n[settings]\nSkin=Other\n");
    EXPECT_EQ(checkConfigurationKeys(config),
              (std::vector<std::string>{
                  config + ":3: [Settings] AllowMenu=yes: a flag is 0 or 1; anything but 0 "
                           "counts as 1",
                  config + ":4: [Settings] ScreenSaverStartIntervall=30: not a key of this "
                           "section; it is not read (ScreenSaverStartInterval?)",
                  config + ":5: [Settings] ScrollBorderPct=12%: not a whole number; read as 12",
                  config + ":6: [Settings] MenuType=imagebrowser: one of ListView, "
                           "ImageBrowser; read as ListView",
                  config + ":7: [Settings] PreviewBackgroundcolor=white: not a colour "
                           "0xBBGGRR; read as 0x000000",
                  config + ":9: [Settings] AllowMenu=0: the key is given again: only the first "
                           "is read",
                  config + ":13: [MAME] MaxButtons=six: not a whole number; read as 0",
                  config + ":16: [Genesis] MinPlayers=2: read only in a MAME emulator's section",
                  config + ":22: [settings] Skin=Other: the section is given again: only the "
                           "first is read"}));

    fs::path skin = dir / "skin.ini";
    writeText(skin, "[Settings]\nFontsize=18pt\n[List]\nListStartX=10\nShowStatusbar=1\n"
                    "[ListPortrait]\nBackgroundcolor=0x000000\n[Menu]\nTitleBackcolor=0x123456\n");
    EXPECT_EQ(checkSkinKeys(skin.string()),
              (std::vector<std::string>{
                  skin.string() + ":2: [Settings] Fontsize=18pt: not a whole number; read as 18",
                  skin.string() + ":7: [ListPortrait] Backgroundcolor=0x000000: not a key of "
                                  "this section; it is not read"}));
    EXPECT_TRUE(checkSkinKeys((dir / "missing.ini").string()).empty());
}

TEST(KeyTable, TheShippedFilesHaveNoMistypedKeys)
{
    const std::string source = TORVANELL_SOURCE_DIR;
    for (const char* file : {"/demo/torvanell.ini", "/dist/torvanell.ini"})
        EXPECT_EQ(checkConfigurationKeys(source + file), std::vector<std::string>()) << file;
    for (const char* skin : {"Arcade", "Gallery"})
        EXPECT_EQ(checkSkinKeys(source + "/demo/skins/" + skin + "/skin.ini"),
                  std::vector<std::string>())
            << skin;
}

static std::map<std::string, std::map<std::string, std::set<std::string>>> KeysRead;

static void noteRead(const char* section, const char* key, const std::string& file)
{
    KeysRead[file][section].insert(key);
}

// A file holding every key the readers asked for, each with an empty value but the list of
// emulators, whose sections are read.
static std::string fileOfKeysRead(const fs::path& path, const std::string& read)
{
    std::string text;
    for (const auto& [section, keys] : KeysRead[read])
    {
        text += "[" + section + "]\n";
        for (const std::string& key : keys)
            text += key + "=" + (key == "Emulators" ? "MAME,Hand" : "") + "\n";
    }
    writeText(path, text);
    return path.string();
}

TEST(KeyTable, EveryKeyTheReadersAskForIsInTheTable)
{
    fs::path dir = freshDirectory();
    fs::create_directories(dir / "skins/Plain");
    std::string config = useConfig(dir / "cab.ini", "[Settings]\nEmulators=MAME,Hand\n"
                                                    "Skin.dir=" +
                                                        (dir / "skins").string() +
                                                        "\nSkin=Plain\n[MAME]\n[Hand]\n"
                                                        "UseGoodFilters=1\nGame1=A,a\n");
    iniWatchReads(noteRead);
    loadFrontendSettings();
    for (ViewMode view : {ViewList, ViewImageBrowser})
    {
        FrontendSettings.MenuType = view;
        loadSkin();
    }
    loadEmulators();
    discoverRoms(EmulatorTable[1].get(), 1);
    iniWatchReads(nullptr);
    resetCatalogue();

    std::string skin = skinFilePath();
    EXPECT_GT(KeysRead[config].size(), 5u);
    EXPECT_GT(KeysRead[skin].size(), 6u);
    EXPECT_EQ(checkConfigurationKeys(fileOfKeysRead(dir / "all.ini", config)),
              std::vector<std::string>());
    EXPECT_EQ(checkSkinKeys(fileOfKeysRead(dir / "all-skin.ini", skin)),
              std::vector<std::string>());
}

TEST(KeyTable, TheManualPageIsTheTables)
{
    std::string page = keysManualPage();
    for (const SettingKey& key : settingKeys())
        EXPECT_NE(page.find(key.Name), std::string::npos) << key.Name;
    if (readText(TORVANELL_SOURCE_DIR "/docs/torvanell.ini.5") != page)
    {
        writeText("torvanell.ini.5", page);
        ADD_FAILURE() << "docs/torvanell.ini.5 is not the key table's page; the table's is "
                      << fs::absolute("torvanell.ini.5") << ": copy it over";
    }
}
