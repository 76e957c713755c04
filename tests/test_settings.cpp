// Front-end settings: defaults, conversions, a hand-written configuration read as the
// profile functions read it, and the exit save that changes only its own keys.
#include "core/frontend.h"
#include "support.h"

// The visible list holds games of those names.
static void useGames(const std::vector<std::string>& names)
{
    resetCatalogue();
    for (const std::string& name : names) VisibleGames.push_back(addGame(name));
}

static void expectDefaults()
{
    const FrontendSettingsRecord& s = FrontendSettings;
    EXPECT_EQ(s.AllowMenu, 1);
    EXPECT_EQ(s.UseJoystick, 1);
    EXPECT_EQ(s.UseMameInfoDat, 0);
    EXPECT_EQ(s.ScrollBorderPct, 20);
    EXPECT_EQ(s.MameinfoDat, "./mameinfo.dat");
    EXPECT_EQ(s.SkinDir, "skins");
    EXPECT_EQ(s.SkinName, "DefaultSkin");
    EXPECT_EQ(s.SendKeys, 0);
    EXPECT_EQ(s.SendKeyWait, 6);
    EXPECT_EQ(s.SendKeyInterval, 500);
    EXPECT_EQ(s.DebugCmdLine, std::nullopt);
    EXPECT_EQ(s.MenuType, 1);
    EXPECT_EQ(s.PreviewPictures, 1);
    EXPECT_EQ(s.PreviewBackgroundcolor, 0xFFFFFFu);
    EXPECT_EQ(s.ScreenSaverStartInterval, 60);
    EXPECT_EQ(s.ScreenSaverChangeInterval, 20);
    EXPECT_EQ(s.ScreenSaverType, 0);
    const int keys[KeyBindingCount] = {38, 40, 37, 39, 49, 50, 27, 17, 51, 51,
                                       52, 53, 82, 70, 68, 71, 65, 83, 87, 81};
    for (int i = 0; i < KeyBindingCount; i++) EXPECT_EQ(s.Keys[i], keys[i]) << i;
    const int joystick[JoystickBindingCount] = {8, 4, 2, 1, 16, 32, 128, 64};
    for (int i = 0; i < JoystickBindingCount; i++) EXPECT_EQ(s.Joystick[i], joystick[i]) << i;
    EXPECT_EQ(s.SelectedGame, "0");
}

TEST(Settings, DefaultsWithoutAFileOrWithAnUnreadableOne)
{
    fs::path dir = freshDirectory();
    FrontendSettings.ConfigFile = (dir / "missing.ini").string();
    loadFrontendSettings();
    expectDefaults();

    fs::create_directory(dir / "adir.ini");
    FrontendSettings.ConfigFile = (dir / "adir.ini").string();
    loadFrontendSettings();
    expectDefaults();
    useGames({"pacman"});
    saveFrontendSettings(); // cannot write: the directory stays as it was
    EXPECT_TRUE(fs::is_directory(dir / "adir.ini"));
    EXPECT_TRUE(fs::is_empty(dir / "adir.ini"));
    useGames({});
}

// Written by hand on the home system of these files: CRLF, odd letter case, quotes,
// comments and a few traps.
static const char* const HandWritten = "; Torvanell configuration\r\n"
                                       "[settings]\r\n"
                                       "allowmenu = 0\r\n"
                                       "UseJoystick=00\r\n"
                                       "UseMameInfoDat=\r\n"
                                       "ScrollBorderPct=\r\n"
                                       "Mameinfo.dat=\"/data/mame info.dat\"\r\n"
                                       "skin.DIR = 'my skins'\r\n"
                                       "Skin=Neon ; the bright one\r\n"
                                       "SendKeys=1\r\n"
                                       "SendKeyWait=3s\r\n"
                                       "SendKeyInterval=-250\r\n"
                                       "DebugCmdLine=\r\n"
                                       "MenuType=imagebrowser\r\n"
                                       "PreviewPictures=Flyers\r\n"
                                       "PreviewBackgroundcolor=0x0000FF\r\n"
                                       "ScreenSaverStartInterval=abc\r\n"
                                       "ScreenSaverType=Screenshot\r\n"
                                       "\r\n"
                                       "[KEYMAPPINGS]\r\n"
                                       ";Exit=13\r\n"
                                       "Exit = 13\r\n"
                                       "Exit=14\r\n"
                                       "P2GameInfo=\"90\"\r\n"
                                       "[JoystickMappings]\r\n"
                                       "StartGame=32\r\n"
                                       "[System]\r\n"
                                       "SelectedGame=pacman\r\n";

TEST(Settings, AHandWrittenFileReadsAsTheProfileFunctionsReadIt)
{
    fs::path file = useConfig(freshDirectory() / "my config.ini", HandWritten);
    loadFrontendSettings();
    const FrontendSettingsRecord& s = FrontendSettings;
    EXPECT_EQ(s.AllowMenu, 0);
    EXPECT_EQ(s.UseJoystick, 1);
    EXPECT_EQ(s.UseMameInfoDat, 1);
    EXPECT_EQ(s.ScrollBorderPct, 20);
    EXPECT_EQ(s.MameinfoDat, "/data/mame info.dat");
    EXPECT_EQ(s.SkinDir, "my skins");
    EXPECT_EQ(s.SkinName, "Neon ; the bright one");
    EXPECT_EQ(s.SendKeys, 1);
    EXPECT_EQ(s.SendKeyWait, 3);
    EXPECT_EQ(s.SendKeyInterval, -250);
    EXPECT_EQ(s.DebugCmdLine, std::nullopt);
    EXPECT_EQ(s.MenuType, 1);
    EXPECT_EQ(s.PreviewPictures, 2);
    EXPECT_EQ(s.PreviewBackgroundcolor, 0xFFu);
    EXPECT_EQ(s.ScreenSaverStartInterval, 0);
    EXPECT_EQ(s.ScreenSaverChangeInterval, 20);
    EXPECT_EQ(s.ScreenSaverType, 0);
    EXPECT_EQ(s.Keys[KeyExit], 13);
    EXPECT_EQ(s.Keys[KeyP2GameInfo], 90);
    EXPECT_EQ(s.Keys[KeySelectUp], 38);
    EXPECT_EQ(s.Joystick[KeyStartGame], 32);
    EXPECT_EQ(s.SelectedGame, "pacman");

    for (auto [text, type] : {std::pair{"Marquees", 1}, {"Screenshots", 2}, {"marquees", 0}})
    {
        writeText(file, std::string("[Settings]\nScreenSaverType=") + text +
                            "\nMenuType=ImageBrowser\nDebugCmdLine=yes\n");
        loadFrontendSettings();
        EXPECT_EQ(FrontendSettings.ScreenSaverType, type) << text;
        EXPECT_EQ(FrontendSettings.MenuType, 2);
        EXPECT_EQ(FrontendSettings.DebugCmdLine, "yes");
    }
}

TEST(Settings, TheExitSaveChangesOnlyItsOwnKeys)
{
    fs::path dir = freshDirectory();
    fs::path file = useConfig(dir / "my config.ini", HandWritten);
    loadFrontendSettings();
    useGames({"galaga", "pacman", "xevious"});
    FrontendState.CurrentGame = 2;
    FrontendSettings.MenuType = 2;
    FrontendSettings.SkinName = "Plain";
    saveFrontendSettings();

    std::string expected = HandWritten;
    auto change = [&](const std::string& from, const std::string& to)
    {
        size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    change("SendKeyWait=3s", "SendKeyWait=3");
    change("Skin=Neon ; the bright one", "Skin=Plain");
    change("MenuType=imagebrowser", "MenuType=ImageBrowser");
    change("SelectedGame=pacman", "SelectedGame=xevious");
    EXPECT_EQ(readText(file), expected);

    // Screenshots are written with a capital S; an empty list leaves the selected game.
    useGames({});
    FrontendState.CurrentGame = 0;
    FrontendSettings.PreviewPictures = 1;
    saveFrontendSettings();
    change("PreviewPictures=Flyers", "PreviewPictures=ScreenShots");
    EXPECT_EQ(readText(file), expected);

    // A missing file is created with the keys of the save.
    fs::path fresh = dir / "fresh.ini";
    FrontendSettings.ConfigFile = fresh.string();
    saveFrontendSettings();
    EXPECT_EQ(readText(fresh), "[Settings]\nMenuType=ImageBrowser\nPreviewPictures=ScreenShots\n"
                               "SendKeys=1\nSendKeyWait=3\nSendKeyInterval=-250\nSkin=Plain\n");
}

TEST(Settings, BadFilesGiveTheValuesThatCanBeRead)
{
    std::string garbage;
    for (int i = 0; i < 200000; i++) garbage += (char)((i * 7919) % 251);
    std::string longLine(100000, 'k');
    useConfig(freshDirectory() / "bad.ini",
              garbage + "\n[Settings]\n" + longLine + "\nSkin=" + longLine +
                  "\nSendKeyWait=9\n[Keymappings]\nExit=" + longLine + "\n");
    loadFrontendSettings();
    EXPECT_EQ(FrontendSettings.SkinName, std::string(1023, 'k'));
    EXPECT_EQ(FrontendSettings.SendKeyWait, 9);
    EXPECT_EQ(FrontendSettings.Keys[KeyExit], 0);
    EXPECT_EQ(FrontendSettings.Keys[KeySelectUp], 38);
}
