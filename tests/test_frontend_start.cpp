// The whole program run in-process on the test platform: start-up, the MAME list, exit codes
// and what is saved.
#include "core/frontend.h"
#include "core/mainwindow.h"
#include "platform/input.h"
#include "support.h"

#include <functional>

const std::string HandListed = "[Settings]\nEmulators=Demo\n[Demo]\nGame1=Zeta,zeta\n";

static std::string mameConfig(const std::string& executable, const std::string& settings = "")
{
    std::string section = "\nExecPath=emu dir\nExecutable=" + executable + "\n";
    return "[Settings]\nEmulators=MAME,mame plus\n" + settings + "[MAME]" + section +
           "[mame plus]" + section;
}

// Runs the program the way main does, the Exit key held from the start.
static int run(const std::string& config, const fs::path& file = "t.ini")
{
    if (!config.empty()) writeText(file, config);
    testPressKey(VkEscape);
    return runFrontend(file.string());
}

TEST_F(InFreshDirectory, FailedStartsLeaveTheConfigurationAndNoBadListAndAGoodOneIsCapturedOnce)
{
    std::string command = "emu dir/no such mame -listxml", noGames = "Initialization failed";
    auto gone = [&]
    {
        fs::create_directory(Dir / "gone");
        fs::current_path(Dir / "gone");
        fs::remove(Dir / "gone"); // the current directory no longer has a path
    };
    // The configuration, what happens first, the boxes, and whether mame.lst is kept.
    const std::tuple<std::string, std::function<void()>, std::vector<std::string>, bool> cases[] = {
        {HandListed,
         [] { ASSERT_TRUE(platformRegisterClass(MainWindowClass, mainWindowProc)); },
         {"Failed to register window class!"},
         false},
        {mameConfig("no such mame"),
         [] {},
         {"Failed to execute [" + command + "]!", "Error launching [" + command + "]!", noGames},
         false},
        // Only the information file is missing: the good list is not thrown away.
        {mameConfig("x", "UseMameInfoDat=1\nMameinfo.dat=none.dat\n"),
         [] { writeText("mame.lst", "<mame><machine name=\"a\"/></mame>"); },
         {"Error loading game list!", noGames},
         true},
        {mameConfig("x"),
         gone,
         {"Unable to get game list file path!", "Error loading game list!", noGames},
         false},
    };
    for (const auto& [config, prepare, boxes, listKept] : cases)
    {
        startTestPlatform();
        fs::current_path(Dir);
        writeText("t.ini", config);
        prepare();
        EXPECT_EQ(run("", Dir / "t.ini"), 1);
        EXPECT_EQ(boxTexts(), boxes);
        EXPECT_EQ(testMessageBoxes()[0].HadOwner != 0, boxes.size() > 1); // none without a window
        EXPECT_EQ(readText(Dir / "t.ini"), config);
        EXPECT_EQ(fs::exists(Dir / "mame.lst"), listKept); // else the next start captures it
        fs::remove(Dir / "mame.lst");
        resetCatalogue();
        platformStop();
    }

    // A list captured once, then reused; a configuration path with blanks is one argument.
    fs::current_path(Dir);
    startTestPlatform();
    fs::create_directories("emu dir");
    fs::create_directories("my cabinet");
    fs::copy_file(TestPrograms + "fakemame", "emu dir/fake mame");
    setenv("FAKEMAME_LOG", (Dir / "runs.txt").c_str(), 1);
    EXPECT_EQ(run(mameConfig("fake mame"), "my cabinet/t t.ini"), 0);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_EQ(platformShowPointer(0), 0); // shown again at the end: the counter ended at 1
    EXPECT_NE(readText("mame.lst").find("fakepac"), std::string::npos);
    startTestPlatform();
    EXPECT_EQ(run("", "my cabinet/t t.ini"), 0);
    EXPECT_EQ(readText("runs.txt"), "run\n"); // the second emulator and the second start reuse it
    unsetenv("FAKEMAME_LOG");
    resetCatalogue();
    platformStop();
}
