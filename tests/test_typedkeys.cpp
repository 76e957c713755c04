// Under a private Xvfb: keys typed into the focused window after the wait.
#include "launch/launch.h"
#include "platform/input.h"
#include "platform/process.h"
#include "support.h"

#include <chrono>
#include <thread>

static void pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Waits up to 30 seconds for the file to contain the text: a loaded machine is slow, not wrong.
static bool waitForText(const fs::path& path, const std::string& text)
{
    for (int i = 0; i < 600; i++, pause(50))
        if (readText(path).find(text) != std::string::npos) return true;
    return false;
}

class XvfbTest : public testing::Test
{
protected:
    static inline fs::path Dir;
    static inline Process* Server;
    // One server for the suite, on the first display number nobody uses from a random start.
    static void SetUpTestSuite()
    {
        Dir = freshDirectory();
        int first = 40 + (int)(std::random_device()() % 400);
        for (int display = first; display < first + 20 && !Server; display++)
        {
            std::string number = std::to_string(display);
            if (fs::exists("/tmp/.X11-unix/X" + number) || fs::exists("/tmp/.X" + number + "-lock"))
                continue;
            std::string why;
            Server = platformStartProcess("Xvfb :" + number + " -noreset -nolisten tcp", "",
                                          (Dir / "xvfb.log").string(), why);
            setenv("DISPLAY", (":" + number).c_str(), 1);
            for (int i = 0; i < 600 && platformScreenSaverState() < 0; i++) pause(50);
            if (Server && platformScreenSaverState() < 0) TearDownTestSuite();
        }
    }
    static void TearDownTestSuite()
    {
        if (Server) platformEndProcess(Server, 0), platformWaitProcess(Server, nullptr);
        Server = nullptr;
        unsetenv("DISPLAY");
    }
    void SetUp() override
    {
        ASSERT_NE(Server, nullptr) << "Xvfb did not start";
        // SDL seeing a display would start its D-Bus connection, which it never frees.
        std::string display = getenv("DISPLAY");
        unsetenv("DISPLAY");
        startTestPlatform();
        setenv("DISPLAY", display.c_str(), 1);
        testUseRealClock();
        FrontendSettings.SendKeys = FrontendSettings.SendKeyWait = 1;
        FrontendSettings.SendKeyInterval = 100;
        FrontendSettings.DebugCmdLine.reset();
    }
};

TEST_F(XvfbTest, KeysAreTypedIntoTheFocusedWindowAfterTheWait)
{
    fs::path record = Dir / "keys";
    std::string why;
    Process* recorder =
        platformStartProcess(TestPrograms + "keyrecorder " + record.string(), "", "", why);
    ASSERT_TRUE(recorder && waitForText(record, "ready"));
    // The focus given as a window manager would.
    platformWaitProcess(
        platformStartProcess("xdotool search --sync --onlyvisible --name ^keyrecorder$ windowfocus",
                             "", "", why),
        nullptr);
    ASSERT_TRUE(waitForText(record, "focus")) << readText(record);
    // Digits, letters, arrows, function keys, Enter and the space bar by virtual-key codes.
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runProgram(TestPrograms + "argrecorder", "", nullptr, "51A\x25\x70\x0D "), 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1200));
    platformTypeKeyDown(VkEscape);
    platformTypeKeyUp(VkEscape);
    int code = -1;
    EXPECT_EQ(platformWaitProcess(recorder, &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readText(record), "ready\nfocus\ndown 5\nup 5\ndown 1\nup 1\n"
                                "down A\nup A\ndown Left\nup Left\ndown F1\nup F1\n"
                                "down Return\nup Return\ndown Space\nup Space\ndown Escape\n");
}

// Waits up to 30 seconds for the system screen saver to be in that state.
static bool becomes(int state)
{
    for (int i = 0; i < 600 && platformScreenSaverState() != state; i++) pause(50);
    return platformScreenSaverState() == state;
}

// A game keeps the system screen saver away, and afterwards it is as the owner left it.
TEST_F(XvfbTest, ScreenSaverIsSuspendedDuringAGameAndPutBackAsItWas)
{
    ASSERT_EQ(platformSetScreenSaverTimeout(1), 1); // its activity shows within the test
    platformSuspendScreenSaver();
    pause(2000);
    EXPECT_EQ(platformScreenSaverState(), 0);
    platformResumeScreenSaver();
    EXPECT_TRUE(becomes(1)) << "the screen saver did not come back";
    // Switched off by the owner: still off after a game.
    platformSetScreenSaverTimeout(0);
    Emulator* emu = addEmulator("Emu");
    emu->ExecPath = TestPrograms.substr(0, TestPrograms.size() - 1);
    emu->Executable = "argrecorder";
    Game game;
    game.Name = "x";
    game.EmulatorIndex = 0;
    EXPECT_EQ(launchGame(&game, nullptr), 1);
    EXPECT_TRUE(becomes(3)) << platformScreenSaverState();
    EmulatorTable.clear();
}
