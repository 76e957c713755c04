// Front-end settings: a hand-written configuration read as the profile functions read it, and
// the exit save that changes only its own keys.
#include "platform/input.h"
#include "support.h"

#include <algorithm>

#include <cstring>

// CRLF, odd letter case, quotes, comments and a few traps.
static const char* const HandWritten =
    "; Torvanell configuration\r\n[settings]\r\nallowmenu = 0\r\nUseJoystick=00\r\n"
    "UseMameInfoDat=\r\nScrollBorderPct=\r\nMameinfo.dat=\"/data/mame info.dat\"\r\n"
    "skin.DIR = 'my skins'\r\nSkin=Neon ; the bright one\r\nSendKeys=1\r\nSendKeyWait=3s\r\n"
    "SendKeyInterval=-250\r\nDebugCmdLine=\r\nMenuType=imagebrowser\r\n"
    "PreviewPictures=Flyers\r\nPreviewBackgroundcolor=0x0000FF\r\n"
    "ScreenSaverStartInterval=abc\r\nScreenSaverType=marquees\r\n\r\n[KEYMAPPINGS]\r\n"
    ";Exit=13\r\nExit = 13\r\nExit=14\r\nP2GameInfo=\"90\"\r\n[JoystickMappings]\r\n"
    "StartGame=32\r\n[System]\r\nSelectedGame=pacman\r\n";

TEST(Settings, AHandWrittenFileIsReadAndTheExitSaveChangesOnlyItsOwnKeys)
{
    fs::path dir = freshDirectory();
    fs::path file = useConfig(dir / "my config.ini", HandWritten);
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

    for (const char* name : {"galaga", "pacman", "xevious"}) VisibleGames.push_back(addGame(name));
    std::tie(FrontendState.CurrentGame, FrontendSettings.MenuType, FrontendSettings.SkinName,
             FrontendSettings.PreviewPictures) =
        std::make_tuple(2, ViewImageBrowser, "Plain", PreviewScreenshots);
    saveFrontendSettings();
    std::string expected = HandWritten;
    for (auto [from, to] : {std::pair{"SendKeyWait=3s", "SendKeyWait=3"},
                            {"Skin=Neon ; the bright one", "Skin=Plain"},
                            {"MenuType=imagebrowser", "MenuType=ImageBrowser"},
                            {"PreviewPictures=Flyers", "PreviewPictures=ScreenShots"},
                            {"SelectedGame=pacman", "SelectedGame=xevious"}})
        expected.replace(expected.find(from), strlen(from), to);
    EXPECT_EQ(readText(file), expected);

    // An empty list leaves the selected game; a missing file gets the keys of the save.
    resetCatalogue();
    FrontendSettings.ConfigFile = (dir / "fresh.ini").string();
    saveFrontendSettings();
    EXPECT_EQ(readText(dir / "fresh.ini"), "[Settings]\nMenuType=ImageBrowser\nPreviewPictures="
                                           "ScreenShots\nSendKeys=1\nSendKeyWait=3\n"
                                           "SendKeyInterval=-250\nSkin=Plain\n");
}

// A hold time that is no whole number of seconds is told and taken as 3, never as "off"; the
// new bindings have their defaults; player 2's stick its own.
TEST(Settings, ExitHoldTimeAndTheNewBindings)
{
    fs::path dir = freshDirectory();
    const std::pair<const char*, int> cases[] = {{"", 3},
                                                 {"0", 0},
                                                 {"7", 7},
                                                 {"-2", 3},
                                                 {"three", 3},
                                                 {"3s", 3},
                                                 {"99999999999999", 999999999},
                                                 {"000012", 12}};
    for (const auto& [text, seconds] : cases)
    {
        std::string line = *text ? std::string("ExitGameHoldSeconds=") + text + "\n" : "";
        useConfig(dir / "t.ini", "[Settings]\n" + line + "[JoystickMappings]\nP2Exit=64\n");
        std::string said = stderrOf(loadFrontendSettings);
        EXPECT_EQ(FrontendSettings.ExitGameHoldSeconds, seconds) << text;
        EXPECT_EQ(said.empty(), seconds != 3 || !*text) << said;
    }
    const FrontendSettingsRecord& s = FrontendSettings;
    EXPECT_EQ(std::vector<int>({s.Keys[KeySelectLetterUp], s.Keys[KeySelectLetterDown],
                                s.Joystick[KeySelectLetterUp], s.Joystick[KeyP2SelectLetterDown],
                                s.Joystick[KeyP2SelectPageUp], s.Joystick[KeyP2Exit],
                                s.Joystick[KeyChangeEmu]}),
              std::vector<int>({'Z', 'X', 256, 512, 2, 64, 0}));
    // Giving up the screen during a game: off on a display server unless asked for.
    for (auto [text, release] :
         {std::pair("", 0), std::pair("1", 1), std::pair("0", 0), std::pair("yes", 0)})
    {
        useConfig(dir / "t.ini", std::string("[Settings]\nReleaseScreenDuringGame=") + text);
        std::string said = stderrOf(loadFrontendSettings);
        EXPECT_EQ(FrontendSettings.ReleaseScreenDuringGame, release) << text;
        EXPECT_EQ(said.empty(), std::string(text) != "yes") << said;
    }
    // The order: a word it does not know is told and gives the names' order; a file that
    // never chose one is saved without the key.
    for (auto [text, order] :
         {std::pair("", OrderByDescription), std::pair("LastPlayed", OrderByLastPlayed),
          std::pair("most played", OrderByDescription)})
    {
        std::string config =
            std::string("[Settings]\n") + (*text ? "SortGamesBy=" : "") + text + "\n";
        useConfig(dir / "t.ini", config);
        std::string said = stderrOf(loadFrontendSettings);
        EXPECT_EQ(FrontendSettings.SortGamesBy, order) << text;
        EXPECT_EQ(said.empty(), std::string(text) != "most played") << said;
        writeFrontendSettings(std::nullopt);
        EXPECT_EQ(readText(dir / "t.ini").find("SortGamesBy") != std::string::npos, *text != 0);
    }
    // The video settings: out of range or not a number is told and gives the default; the
    // screensaver's kinds are words compared exactly.
    struct VideoCase
    {
        const char* Lines;
        int Delay, Sound, Volume, Told;
        ScreenSaverKind Saver;
    };
    for (const VideoCase& c :
         {VideoCase{"", 600, 0, 50, 0, SaverFlyers},
          VideoCase{"VideoDelay=0\nVideoSound=1\nVideoVolume=100\nScreenSaverType=Videos\n", 0, 1,
                    100, 0, SaverVideos},
          VideoCase{"VideoDelay=-5\nVideoSound=2\nVideoVolume=101\nScreenSaverType=videos\n", 600,
                    0, 50, 3, SaverFlyers},
          VideoCase{"VideoDelay=99999999999\nVideoVolume=half\n", 600, 0, 50, 2, SaverFlyers},
          // The operator's numbers are told the same way; Play is a screensaver of its own.
          VideoCase{"ScreenSaverType=Play\nAttractPlaySeconds=0\nMusicVolume=-1\nLocked=yes\n"
                    "GameTimeLimitMinutes=ten\n",
                    600, 0, 50, 4, SaverPlay},
          // The cabinet's: a marquee display that is text or out of range, a turn that is none.
          VideoCase{"MarqueeDisplay=second\nControlSocket=2\nMarqueeRotation=45\n", 600, 0, 50, 3,
                    SaverFlyers},
          VideoCase{"MarqueeDisplay=64\n", 600, 0, 50, 1, SaverFlyers}})
    {
        useConfig(dir / "t.ini", std::string("[Settings]\n") + c.Lines);
        std::string said = stderrOf(loadFrontendSettings);
        const FrontendSettingsRecord& s = FrontendSettings;
        EXPECT_EQ(std::vector<int>({s.VideoDelay, s.VideoSound, s.VideoVolume, s.ScreenSaverType}),
                  std::vector<int>({c.Delay, c.Sound, c.Volume, c.Saver}))
            << c.Lines;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), c.Told) << said;
        EXPECT_EQ(s.MarqueeDisplay, -1) << c.Lines;
        EXPECT_EQ(s.MarqueeRotation + s.ControlSocket, 0) << c.Lines;
    }
}
