// The whole program run in-process on the test platform: start-up, the MAME list, exit codes
// and what is saved.
#include "core/frontend.h"
#include "core/mainwindow.h"
#include "core/tick.h"
#include "platform/input.h"
#include "platform/window.h"
#include "support.h"

#include <functional>

const char* const HandListed = "[Settings]\nEmulators=Demo\nMenuType=imagebrowser\n[Demo]\n"
                               "Game1=Zeta Blaster,zeta\nGame2=Alpha Quest,alpha\n"
                               "Game3=Mid Runner,mid\n[System]\nSelectedGame=mid\n";

static std::string mameConfig(const std::string& execPath, const std::string& executable,
                              const std::string& settings = "")
{
    return "[Settings]\nEmulators=MAME,mame plus\n" + settings + "[MAME]\nExecPath=" + execPath +
           "\nExecutable=" + executable + "\n[mame plus]\nExecPath=" + execPath +
           "\nExecutable=" + executable + "\n";
}

class Startup : public InFreshDirectory
{
protected:
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        startTestPlatform();
        fs::create_directories(Dir / "emu dir");
        unsetenv("FAKEMAME_LOG");
    }
    void TearDown() override
    {
        InFreshDirectory::TearDown();
        resetCatalogue();
        platformStop();
    }
    // Runs the program the way main does, the Exit key held from the start.
    int run(const std::string& commandLine)
    {
        testPressKey(VkEscape);
        return runFrontend(commandLine);
    }
};

TEST_F(Startup, RunsAndSavesWithAPathThatHasBlanksOrWithNone)
{
    fs::path file = Dir / "my cabinet" / "torvanell config.ini";
    fs::create_directories(file.parent_path());
    writeText(file, HandListed);
    EXPECT_EQ(run(file.string()), 0);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_EQ(FrontendState.CurrentGame, 1); // "mid" among the sorted descriptions
    EXPECT_NE(readText(file).find("MenuType=ListView"), std::string::npos);
    EXPECT_EQ(platformShowPointer(0), 0); // shown again: the counter ended at 1
    startTestPlatform();
    writeText(Dir / "torvanell.ini", HandListed);
    EXPECT_EQ(run(""), 0);
    EXPECT_NE(readText(Dir / "torvanell.ini").find("MenuType=ListView"), std::string::npos);

    for (auto [selected, index] : {std::pair{"zeta", 2}, {"Zeta", 0}, {"", 0}})
    {
        std::string text = HandListed;
        text.replace(text.find("SelectedGame=mid"), 16, std::string("SelectedGame=") + selected);
        useConfig(Dir / "t.ini", text);
        loadFrontendSettings();
        ASSERT_EQ(loadCatalogue(), 1);
        EXPECT_EQ(FrontendState.CurrentGame, index) << selected;
        freeCatalogue();
    }
}

TEST_F(Startup, FailedStartsTellThePlayerAndLeaveTheConfigurationAlone)
{
    std::string emu = (Dir / "emu dir").string(), command = emu + "/no such mame -listxml";
    std::string list =
        "<mame>\n<machine name=\"a\"><description>A</description></machine>\n</mame>";
    struct
    {
        std::string Config;
        std::function<void()> Prepare;
        std::vector<std::string> Boxes;
        int Owned; // whether the boxes had the main window as owner; -1: not asked
    } cases[] = {
        {"[Settings]\nEmulators=Empty\n[Empty]\nRomPath=" + (Dir / "no roms").string() + "\n",
         [] {},
         {"No games found!", "Initialization failed"},
         1},
        {HandListed,
         [] { ASSERT_TRUE(platformRegisterClass(MainWindowClass, mainWindowProc)); },
         {"Failed to register window class!"},
         0},
        {mameConfig(emu, "no such mame"),
         [] {},
         {"Failed to execute [" + command + "]!", "Error launching [" + command + "]!",
          "Initialization failed"},
         -1},
        {mameConfig(emu, "no such mame", "UseMameInfoDat=1\nMameinfo.dat=none.dat\n"),
         [&] { writeText(Dir / "mame.lst", list); },
         {"Error loading game list!", "Initialization failed"},
         -1},
        {mameConfig("", "no-such-mame"),
         [&]
         {
             fs::create_directory(Dir / "gone");
             fs::current_path(Dir / "gone");
             fs::remove(Dir / "gone"); // the current directory no longer has a path
         },
         {"Unable to get game list file path!", "Error loading game list!",
          "Initialization failed"},
         -1},
    };
    for (const auto& c : cases)
    {
        startTestPlatform();
        fs::current_path(Dir);
        writeText(Dir / "t.ini", c.Config);
        c.Prepare();
        EXPECT_EQ(run((Dir / "t.ini").string()), 1);
        EXPECT_EQ(boxTexts(), c.Boxes);
        for (const RecordedMessageBox& box : testMessageBoxes())
            EXPECT_TRUE(c.Owned < 0 || (box.HadOwner != 0) == (c.Owned != 0));
        EXPECT_EQ(readText(Dir / "t.ini"), c.Config);
        EXPECT_FALSE(fs::exists(Dir / "mame.lst")); // so that the next start captures it
        resetCatalogue();
        platformStop();
    }

    // Without a counter the program ends, yet the settings are still saved.
    fs::current_path(Dir);
    startTestPlatform();
    writeText(Dir / "t.ini", HandListed);
    testUseClock(0);
    EXPECT_EQ(run((Dir / "t.ini").string()), -1);
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"Hardware doesn't support QueryPerformanceFrequency()!"}));
    EXPECT_NE(readText(Dir / "t.ini").find("MenuType=ListView"), std::string::npos);
}

// "Emulators=Hand, NES" is how a list is written by hand: " NES" must find [NES].
TEST_F(Startup, AListedNameWithABlankFindsItsSection)
{
    fs::create_directories(Dir / "nes");
    touch(Dir / "nes" / "Kid (U).nes");
    useConfig(Dir / "t.ini", "[Settings]\nEmulators=Hand, NES\n[Hand]\nGame1=Zeta,zeta\n[NES]\n"
                             "RomPath=" +
                                 (Dir / "nes").string() +
                                 "\nRomFileExt=nes\nUseGoodFilters=1\nShowUSA=1\n");
    loadFrontendSettings();
    ASSERT_EQ(loadCatalogue(), 1);
    EXPECT_TRUE(findGame("Kid (U).nes", 1));
    resetCatalogue();
    EXPECT_EQ(run((Dir / "t.ini").string()), 0); // the filters go back into [NES]
    std::string saved = readText(Dir / "t.ini");
    EXPECT_EQ(saved.find("[ NES]"), std::string::npos);
    EXPECT_EQ(saved.find("ShowUSA=1"), saved.rfind("ShowUSA="));
    EXPECT_NE(saved.find("ShowVerified=0"), std::string::npos);
}

TEST_F(Startup, TheSkinChoosesTheEmulatorTheFirstScreenShows)
{
    fs::create_directories(Dir / "skins" / "Green");
    writeText(Dir / "skins" / "Green" / "skin.ini",
              "[Settings]\nEmulator=Other\n[List]\nBackgroundcolor=0x00FF00\nShowStatusBar=0\n");
    useConfig(Dir / "t.ini", "[Settings]\nEmulators=Hand,Other\nSkin=Green\n"
                             "[Hand]\nGame1=Zeta,zeta\n[Other]\nGame1=Omega,omega\n");
    static Color corners[2];
    MainLoopTick = [](Window*)
    {
        corners[0] = testScreenPixel(5, 400); // below the one name
        corners[1] = testScreenPixel(5, 767); // where a status bar would be
        platformPostQuit(0);
    };
    EXPECT_EQ(runFrontend((Dir / "t.ini").string()), 0);
    MainLoopTick = processTick;
    EXPECT_EQ(FrontendState.CurrentEmulator, 1);
    EXPECT_EQ(corners[0], 0x00FF00u);
    EXPECT_EQ(corners[1], 0x00FF00u);
    EXPECT_NE(readText(Dir / "t.ini").find("SelectedGame=omega"), std::string::npos);
}

TEST_F(Startup, TheMameListIsCapturedOnceAndThenReused)
{
    fs::copy_file(TestPrograms + "fakemame", Dir / "emu dir" / "fake mame");
    fs::path log = Dir / "runs.txt";
    setenv("FAKEMAME_LOG", log.c_str(), 1);
    writeText(Dir / "t.ini", mameConfig((Dir / "emu dir").string(), "fake mame"));
    EXPECT_EQ(run((Dir / "t.ini").string()), 0);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_NE(readText(Dir / "mame.lst").find("fakepac"), std::string::npos);
    startTestPlatform();
    EXPECT_EQ(run((Dir / "t.ini").string()), 0);
    EXPECT_EQ(readText(log), "run\n"); // the second emulator and the second start reuse it
}
