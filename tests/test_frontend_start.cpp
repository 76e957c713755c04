// The whole program run in-process on the test platform: the loading sequence, the MAME list
// branch, the exit codes and what is (and is not) saved.
#include "core/frontend.h"
#include "core/mainwindow.h"
#include "core/tick.h"
#include "platform/input.h"
#include "platform/window.h"
#include "support.h"

#include <cstdlib>

const char* const HandListed = "[Settings]\n"
                               "Emulators=Demo\n"
                               "MenuType=imagebrowser\n"
                               "[Demo]\n"
                               "Game1=Zeta Blaster,zeta\n"
                               "Game2=Alpha Quest,alpha\n"
                               "Game3=Mid Runner,mid\n"
                               "[System]\n"
                               "SelectedGame=mid\n";

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
    // Runs the program the way main does; the Exit key is held from the start.
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
    // Sorted by description: Alpha Quest, Mid Runner, Zeta Blaster; "mid" was selected.
    EXPECT_EQ(FrontendState.CurrentGame, 1);
    EXPECT_NE(readText(file).find("MenuType=ListView"), std::string::npos);
    EXPECT_EQ(platformShowPointer(0), 0); // shown: the counter ended at 1
    // An empty command line reads torvanell.ini in the current directory.
    startTestPlatform();
    writeText(Dir / "torvanell.ini", HandListed);
    EXPECT_EQ(run(""), 0);
    EXPECT_NE(readText(Dir / "torvanell.ini").find("MenuType=ListView"), std::string::npos);
}

TEST_F(Startup, TheSelectedGameIsFoundAgainOrTheFirstIsTaken)
{
    fs::path file = Dir / "t.ini";
    for (auto [selected, index] : {std::pair{"zeta", 2}, {"alpha", 0}, {"Zeta", 0}, {"", 0}})
    {
        std::string text = HandListed;
        text.replace(text.find("SelectedGame=mid"), 16, std::string("SelectedGame=") + selected);
        writeText(file, text);
        FrontendSettings.ConfigFile = file.string();
        loadFrontendSettings();
        ASSERT_EQ(loadCatalogue(), 1);
        EXPECT_EQ(FrontendState.CurrentGame, index) << selected;
        EXPECT_EQ(FrontendState.CurrentEmulator, -1);
        freeCatalogue();
    }
}

TEST_F(Startup, NoGamesEndsWithCodeOneAndSavesNothing)
{
    std::string text = "[Settings]\nEmulators=Empty\nMenuType=imagebrowser\n[Empty]\nRomPath=" +
                       (Dir / "no roms").string() + "\n";
    writeText(Dir / "t.ini", text);
    EXPECT_EQ(run((Dir / "t.ini").string()), 1);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"No games found!", "Initialization failed"}));
    for (const RecordedMessageBox& box : testMessageBoxes()) EXPECT_TRUE(box.HadOwner);
    EXPECT_EQ(readText(Dir / "t.ini"), text);
}

TEST_F(Startup, WithoutACounterTheSettingsAreStillSaved)
{
    writeText(Dir / "t.ini", HandListed);
    testUseClock(0);
    EXPECT_EQ(run((Dir / "t.ini").string()), -1);
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"Hardware doesn't support QueryPerformanceFrequency()!"}));
    EXPECT_NE(readText(Dir / "t.ini").find("MenuType=ListView"), std::string::npos);
}

TEST_F(Startup, AWindowClassThatCannotBeRegisteredEndsWithCodeOne)
{
    writeText(Dir / "t.ini", HandListed);
    ASSERT_TRUE(platformRegisterClass(MainWindowClass, mainWindowProc));
    EXPECT_EQ(run((Dir / "t.ini").string()), 1);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"Failed to register window class!"}));
    EXPECT_FALSE(testMessageBoxes()[0].HadOwner);
    EXPECT_EQ(readText(Dir / "t.ini"), HandListed);
}

// "Emulators=Hand, NES" is how a list is written by hand: " NES" must find [NES].
TEST_F(Startup, AListedNameWithABlankFindsItsSection)
{
    fs::create_directories(Dir / "nes");
    touch(Dir / "nes" / "Kid (U).nes");
    std::string text = "[Settings]\nEmulators=Hand, NES\n[Hand]\nGame1=Zeta,zeta\n[NES]\nRomPath=" +
                       (Dir / "nes").string() + "\nRomFileExt=nes\nUseGoodFilters=1\nShowUSA=1\n";
    useConfig(Dir / "t.ini", text);
    loadFrontendSettings();
    ASSERT_EQ(loadCatalogue(), 1);
    ASSERT_EQ(EmulatorTable.size(), 2u);
    EXPECT_EQ(EmulatorTable[1]->Name, " NES");
    EXPECT_EQ(EmulatorTable[1]->RomFileExt, "nes");
    EXPECT_TRUE(findGame("Kid (U).nes", 1));
    resetCatalogue();

    // The filters saved at exit go back into [NES], not into a new "[ NES]".
    EXPECT_EQ(run((Dir / "t.ini").string()), 0);
    std::string saved = readText(Dir / "t.ini");
    EXPECT_EQ(saved.find("[ NES]"), std::string::npos);
    EXPECT_EQ(saved.find("ShowUSA=1"), saved.rfind("ShowUSA="));
    EXPECT_NE(saved.find("ShowVerified=0"), std::string::npos);
}

TEST_F(Startup, TheSkinChoosesTheEmulatorTheFirstScreenShowsAndTheSkinIsSaved)
{
    fs::create_directories(Dir / "skins" / "Green");
    writeText(Dir / "skins" / "Green" / "skin.ini",
              "[Settings]\nEmulator=Other\n[List]\nBackgroundcolor=0x00FF00\nShowStatusBar=0\n");
    useConfig(Dir / "t.ini", "[Settings]\nEmulators=Hand,Other\nSkin=Green\n"
                             "[Hand]\nGame1=Zeta,zeta\n[Other]\nGame1=Omega,omega\n");
    // The first tick looks at the screen and leaves.
    static Color corners[2];
    MainLoopTick = [](Window*)
    {
        corners[0] = testScreenPixel(5, 400); // below the one name
        corners[1] = testScreenPixel(5, 767);
        platformPostQuit(0);
    };
    EXPECT_EQ(runFrontend((Dir / "t.ini").string()), 0);
    MainLoopTick = processTick;
    EXPECT_EQ(FrontendState.CurrentEmulator, 1);
    EXPECT_EQ(corners[0], 0x00FF00u);
    EXPECT_EQ(corners[1], 0x00FF00u) << "no status bar";
    EXPECT_NE(readText(Dir / "t.ini").find("SelectedGame=omega"), std::string::npos);
}

static std::string mameConfig(const std::string& execPath, const std::string& executable,
                              const std::string& settings = "")
{
    return "[Settings]\nEmulators=MAME,mame plus\n" + settings + "[MAME]\nExecPath=" + execPath +
           "\nExecutable=" + executable + "\n[mame plus]\nExecPath=" + execPath +
           "\nExecutable=" + executable + "\n";
}

TEST_F(Startup, TheMameListIsCapturedOnceAndThenReused)
{
    // The emulator lives in a directory whose name has a blank.
    fs::copy_file(TestPrograms + "fakemame", Dir / "emu dir" / "fake mame");
    fs::path log = Dir / "runs.txt";
    setenv("FAKEMAME_LOG", log.c_str(), 1);
    writeText(Dir / "t.ini", mameConfig((Dir / "emu dir").string(), "fake mame"));
    EXPECT_EQ(run((Dir / "t.ini").string()), 0);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_EQ(readText(log), "run\n"); // the second MAME emulator reused the list
    EXPECT_NE(readText(Dir / "mame.lst").find("fakepac"), std::string::npos);

    startTestPlatform();
    EXPECT_EQ(run((Dir / "t.ini").string()), 0);
    EXPECT_EQ(readText(log), "run\n"); // an existing list starts no process at all
}

TEST_F(Startup, AMameListThatFailsIsDeletedSoTheNextStartCapturesIt)
{
    std::string missing = (Dir / "emu dir").string();
    writeText(Dir / "t.ini", mameConfig(missing, "no such mame"));
    EXPECT_EQ(run((Dir / "t.ini").string()), 1);
    std::string command = missing + "/no such mame -listxml";
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"Failed to execute [" + command + "]!",
                                                    "Error launching [" + command + "]!",
                                                    "Initialization failed"}));
    EXPECT_FALSE(fs::exists(Dir / "mame.lst"));

    // A list that cannot be loaded: here because the game information it needs is missing.
    startTestPlatform();
    writeText(Dir / "mame.lst", "<?xml version=\"1.0\"?>\n<mame>\n<machine name=\"a\">\n"
                                "<description>A</description>\n</machine>\n</mame>\n");
    writeText(Dir / "t.ini",
              mameConfig(missing, "no such mame",
                         "UseMameInfoDat=1\nMameinfo.dat=" + (Dir / "none.dat").string() + "\n"));
    EXPECT_EQ(run((Dir / "t.ini").string()), 1);
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"Error loading game list!", "Initialization failed"}));
    EXPECT_FALSE(fs::exists(Dir / "mame.lst"));
}

TEST_F(Startup, AListPathThatCannotBeDeterminedFailsLikeABadList)
{
    fs::path config = Dir / "t.ini";
    writeText(config, mameConfig("", "no-such-mame"));
    fs::create_directory(Dir / "gone");
    fs::current_path(Dir / "gone");
    fs::remove(Dir / "gone"); // the current directory no longer has a path
    EXPECT_EQ(run(config.string()), 1);
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"Unable to get game list file path!",
                                        "Error loading game list!", "Initialization failed"}));
    EXPECT_EQ(readText(config), mameConfig("", "no-such-mame"));
}
