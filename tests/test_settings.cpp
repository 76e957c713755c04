// Front-end settings: a hand-written configuration read as the profile functions read it, and
// the exit save that changes only its own keys.
#include "platform/input.h"
#include "support.h"

// The visible list holds games of those names.
static void useGames(const std::vector<std::string>& names)
{
    resetCatalogue();
    for (const std::string& name : names) VisibleGames.push_back(addGame(name));
}

// Written by hand on the home system of these files: CRLF, odd letter case, quotes,
// comments and a few traps.
static const char* const HandWritten =
    "; Torvanell configuration\r\n[settings]\r\nallowmenu = 0\r\n"
    "UseJoystick=00\r\nUseMameInfoDat=\r\nScrollBorderPct=\r\n"
    "Mameinfo.dat=\"/data/mame info.dat\"\r\n"
    "skin.DIR = 'my skins'\r\nSkin=Neon ; the bright one\r\n"
    "SendKeys=1\r\nSendKeyWait=3s\r\nSendKeyInterval=-250\r\n"
    "DebugCmdLine=\r\nMenuType=imagebrowser\r\n"
    "PreviewPictures=Flyers\r\nPreviewBackgroundcolor=0x0000FF\r\n"
    "ScreenSaverStartInterval=abc\r\nScreenSaverType=Screenshot\r\n"
    "\r\n[KEYMAPPINGS]\r\n;Exit=13\r\nExit = 13\r\nExit=14\r\n"
    "P2GameInfo=\"90\"\r\n[JoystickMappings]\r\nStartGame=32\r\n"
    "[System]\r\nSelectedGame=pacman\r\n";

TEST(Settings, AHandWrittenFileReadsAsTheProfileFunctionsReadIt)
{
    fs::path file = useConfig(freshDirectory() / "my config.ini", HandWritten);
    loadFrontendSettings();
    const FrontendSettingsRecord& s = FrontendSettings;
    std::ostringstream seen;
    seen << s.AllowMenu << s.UseJoystick << s.UseMameInfoDat << " " << s.ScrollBorderPct << " "
         << s.MameinfoDat << "|" << s.SkinDir << "|" << s.SkinName << "|" << s.SendKeys << " "
         << s.SendKeyWait << " " << s.SendKeyInterval << " " << s.DebugCmdLine.has_value() << " "
         << s.MenuType << s.PreviewPictures << " " << s.PreviewBackgroundcolor << " "
         << s.ScreenSaverStartInterval << " " << s.ScreenSaverType << " " << s.Keys[KeyExit] << " "
         << s.Keys[KeyP2GameInfo] << " " << s.Keys[KeySelectUp] << " " << s.Joystick[KeyStartGame]
         << " " << s.SelectedGame;
    EXPECT_EQ(seen.str(), "011 20 /data/mame info.dat|my skins|Neon ; the bright one|1 3 -250 0 "
                          "12 255 0 0 13 90 38 32 pacman");

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

    // A missing file is created with the keys of the save; one that cannot be read keeps the
    // defaults and is left alone.
    FrontendSettings.ConfigFile = (dir / "fresh.ini").string();
    saveFrontendSettings();
    EXPECT_EQ(readText(dir / "fresh.ini"), "[Settings]\nMenuType=ImageBrowser\nPreviewPictures="
                                           "ScreenShots\nSendKeys=1\nSendKeyWait=3\n"
                                           "SendKeyInterval=-250\nSkin=Plain\n");
    fs::create_directory(dir / "adir.ini");
    FrontendSettings.ConfigFile = (dir / "adir.ini").string();
    loadFrontendSettings();
    EXPECT_EQ(FrontendSettings.SkinName, "DefaultSkin");
    EXPECT_EQ(FrontendSettings.Keys[KeyExit], VkEscape);
    useGames({"pacman"});
    saveFrontendSettings();
    EXPECT_TRUE(fs::is_empty(dir / "adir.ini"));
    useGames({});
}
