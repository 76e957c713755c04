// Front-end settings: defaults, conversions, a hand-written configuration read as the
// profile functions read it, and the exit save that changes only its own keys.
#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "core/frontend.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

static fs::path freshDirectory(const char* name)
{
    fs::path dir = fs::temp_directory_path() /
                   ("torvanell-settings-" + std::to_string(getpid()) + "-" + std::string(name));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

static void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

static std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

static void useGames(const std::vector<std::string>& names)
{
    freeCatalogue();
    freeEmulators();
    for (const std::string& name : names)
    {
        Game* game = newGame(0);
        game->Name = name;
        AllGames.push_back(game);
        VisibleGames.push_back(game);
    }
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
    fs::path dir = freshDirectory("defaults");
    FrontendSettings.ConfigFile = (dir / "missing.ini").string();
    loadFrontendSettings();
    expectDefaults();
    EXPECT_EQ(FrontendSettings.Keys[KeyShutdown1], FrontendSettings.Keys[KeyConfigControls]);

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
    fs::path dir = freshDirectory("hand");
    fs::path file = dir / "my config.ini";
    writeText(file, HandWritten);
    FrontendSettings.ConfigFile = file.string();
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
    fs::path dir = freshDirectory("save");
    fs::path file = dir / "my config.ini";
    writeText(file, HandWritten);
    FrontendSettings.ConfigFile = file.string();
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

TEST(Settings, TheEmulatorsFiltersAreSavedWithTheRest)
{
    fs::path dir = freshDirectory("filters");
    fs::path file = dir / "t.ini";
    writeText(file, "[Settings]\nEmulators=MAME\n[MAME]\nDisplayClones=0\n");
    FrontendSettings.ConfigFile = file.string();
    useGames({});
    auto* mame = new Emulator{};
    mame->Name = "MAME";
    mame->IsMame = 1;
    mame->MameFilter = std::make_unique<MameFilter>();
    mame->MameFilter->DisplayClones = 1;
    mame->MameFilter->MaxPlayers = 4;
    EmulatorTable.push_back(mame);
    saveFrontendSettings();
    std::string text = readText(file);
    EXPECT_NE(text.find("[MAME]\nDisplayClones=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MaxPlayers=4\n"), std::string::npos) << text;
    freeEmulators();
}

TEST(Settings, BadFilesGiveTheValuesThatCanBeRead)
{
    fs::path dir = freshDirectory("bad");
    fs::path file = dir / "bad.ini";
    std::string garbage;
    for (int i = 0; i < 200000; i++) garbage += (char)((i * 7919) % 251);
    std::string longLine(100000, 'k');
    writeText(file, garbage + "\n[Settings]\n" + longLine + "\nSkin=" + longLine +
                        "\nSendKeyWait=9\n[Keymappings]\nExit=" + longLine + "\n");
    FrontendSettings.ConfigFile = file.string();
    loadFrontendSettings();
    EXPECT_EQ(FrontendSettings.SkinName, std::string(1023, 'k'));
    EXPECT_EQ(FrontendSettings.SendKeyWait, 9);
    EXPECT_EQ(FrontendSettings.Keys[KeyExit], 0);
    EXPECT_EQ(FrontendSettings.Keys[KeySelectUp], 38);

    std::string big = "[Settings]\nSendKeyWait=4\n[Filler]\n";
    while (big.size() < (50u << 20)) big += "Padding=0123456789012345678901234567890123456789\n";
    writeText(file, big + "[System]\nSelectedGame=dkong\n");
    loadFrontendSettings();
    EXPECT_EQ(FrontendSettings.SendKeyWait, 4);
    EXPECT_EQ(FrontendSettings.SelectedGame, "dkong");
    EXPECT_EQ(FrontendSettings.SkinName, "DefaultSkin");
}
