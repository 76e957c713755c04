// Launching a game: the template, the run, the failures, the log, the typed keys' waits and
// leaving a hung game.
#include "launch/launch.h"

#include "core/frontend.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/process.h"
#include "runtime/controls.h"
#include "support.h"

#include <cerrno>
#include <csignal>

using Args = std::vector<std::string>;

class Launch : public InFreshDirectory
{
protected:
    std::string EmuDir = TORVANELL_BINARY_DIR "/tests";
    Emulator& Emu = *addEmulator("Emu");
    Game Entry;

    void SetUp() override
    {
        InFreshDirectory::SetUp();
        startTestPlatform();
        unsetenv("DISPLAY"); // keys must never reach the desktop of whoever runs the tests
        setenv("ARGRECORDER_OUT", (Dir / "record").c_str(), 1);
        FrontendSettings.SendKeys = 0;
        FrontendSettings.ExitGameHoldSeconds = 0; // the waits are timed on the test clock
        std::tie(Emu.ExecPath, Emu.Executable, Emu.CmdLine) =
            std::make_tuple(EmuDir, "argrecorder", "%f");
        std::tie(Entry.Name, Entry.EmulatorIndex) = std::make_tuple("game.zip", 0);
    }
    void TearDown() override
    {
        EmulatorTable.clear();
        InFreshDirectory::TearDown();
    }
    // The recorded working directory and arguments of the run.
    Args launch(int* exitCode = nullptr)
    {
        int code = -1;
        EXPECT_EQ(launchGame(&Entry, exitCode ? exitCode : &code), 1);
        Args record = readRecord(Dir / "record");
        fs::remove(Dir / "record");
        return record;
    }
};

TEST_F(Launch, TheCommandLineArgumentsExitCodesFailuresAndTheLog)
{
    EXPECT_EQ(stripExtension("game.tar.gz"), "game.tar");
    EXPECT_EQ(stripExtension("photo.jpeg"), "photo.jpeg");
    Entry.Description = "Big";
    Entry.RomFile = std::make_unique<RomFileInfo>(RomFileInfo{"/roms", {}});
    auto expand = [&](const char* line, const char* name)
    {
        std::tie(Emu.CmdLine, Entry.Name) = std::make_tuple(line, name);
        return expandCmdLine(&Emu, &Entry);
    };
    EXPECT_EQ(expand("%d|%f|%p|%q|%r|%%|%D|%x|%", "b.zip"), "Big|b.zip|/roms|\"|b|%|D|x|");
    EXPECT_EQ(expand("", "b.zip"), "b.zip");
    EXPECT_EQ(expand("-x %f", "100%f%q"), "-x 100%f%q"); // what a token inserts stays as it is
    EXPECT_EQ(buildCommandLine("", "mame", "-x"), "mame -x");
    EXPECT_EQ(buildCommandLine("/emu", "mame -rompath r", "a"), "/emu/mame -rompath r a");
    fs::create_directory("My Emulators");
    touch("My Emulators/emu");
    EXPECT_EQ(buildCommandLine("My Emulators", "emu", "a"), "\"My Emulators/emu\" a");

    // A name ending in a backslash must not swallow the closing quote and turn the rest of the
    // line into options.
    setenv("ARGRECORDER_EXIT", "3", 1);
    int code = -1;
    std::tie(Entry.Name, Entry.Description) =
        std::make_tuple("pack -autoboot evil.lua \\", "in \\\"");
    Emu.CmdLine = "%q%f%q --desc %q%d%q";
    EXPECT_EQ(launch(&code), (Args{EmuDir, Entry.Name, "--desc", Entry.Description}));
    EXPECT_EQ(code, 3);
    unsetenv("ARGRECORDER_EXIT");
    Entry.Name = "\"q"; // a backslash the template puts before a name's quote stays one
    Emu.CmdLine = "%q\\%f%q";
    EXPECT_EQ(launch(), (Args{EmuDir, "\\\"q"}));
    Emu.CmdLine = "%q\\%p%q -x"; // an empty folder brings the template's backslash to the quote
    Entry.RomFile->Directory = "";
    EXPECT_EQ(launch(), (Args{EmuDir, "\\", "-x"}));
    setenv("ARGRECORDER_CRASH", "1", 1);
    launch(&code);
    unsetenv("ARGRECORDER_CRASH");
    EXPECT_EQ(code, 128 + SIGSEGV);
    EXPECT_EQ(boxTexts(), (Args{"The game ended at once (exit code 3).",
                                "The game ended at once (exit code 139)."}));
    testMessageBoxes().clear();

    // A failed start gives the box; the log holds every run as one line.
    FrontendSettings.DebugCmdLine = "1";
    writeText("log.txt", "earlier\n");
    Entry.Name = "two\nlines";
    Emu.CmdLine = "%f";
    launch();
    Emu.Executable = "missing";
    code = 12345;
    EXPECT_EQ(launchGame(&Entry, &code), 0);
    EXPECT_EQ(code, 12345);
    std::string run = "Executing command line: " + EmuDir;
    EXPECT_EQ(readText("log.txt"),
              "earlier\n" + run + "/argrecorder two\\nlines\n" + run + "/missing two\\nlines\n");
    EXPECT_EQ(boxTexts(), Args{"Cannot start [" + EmuDir + "/missing two\nlines]: not found."});
    Entry.EmulatorIndex = 1;
    EXPECT_EQ(launchGame(&Entry, nullptr), 0);

    // With children reaped by the system the exit code cannot be read.
    testMessageBoxes().clear();
    std::signal(SIGCHLD, SIG_IGN);
    EXPECT_EQ(runProgram(EmuDir + "/argrecorder", "", &code, ""), 1);
    EXPECT_EQ(runProgram(EmuDir + "/argrecorder", "", nullptr, ""), 1);
    std::signal(SIGCHLD, SIG_DFL);
    EXPECT_EQ(boxTexts(), Args{"GetExitCodeProcess failed!"});
}

// The sleeps of the key typing; the game's own watch sleeps 50 ms at a time and is left out.
static int64_t TypingSleptMs;
static void countTypingSleeps(int milliseconds)
{
    if (milliseconds != 50) TypingSleptMs += milliseconds;
}

TEST_F(Launch, KeysWaitAndIntervalOnlyWhenSendKeysIsOn)
{
    testUseClock(1000); // milliseconds; sleeping advances them
    testOnSleep(countTypingSleeps);
    // Send keys, wait, interval, keys, then the time waited; nonsense waits nothing, not forever.
    const std::tuple<int, int, int, const char*, int64_t> cases[] = {
        {0, 6, 500, "51", 0}, {1, 6, 500, "51", 7000}, {1, 6, 500, "", 0}, {1, -5, -1, "1", 0}};
    for (const auto& [sendKeys, wait, interval, keys, waited] : cases)
    {
        std::tie(FrontendSettings.SendKeys, FrontendSettings.SendKeyWait,
                 FrontendSettings.SendKeyInterval, Emu.SendKeys) =
            std::tie(sendKeys, wait, interval, keys);
        TypingSleptMs = 0;
        launch();
        EXPECT_EQ(TypingSleptMs, waited) << keys;
    }
    testOnSleep(nullptr);
}

static int Elapsed, ReleaseAt, EndAt;
static std::vector<int> HangerIds;
static fs::path HangerRecord;

// The player presses Exit once the stand-in has started (its ids are written), and lets go or
// sees the game end by itself at the times of the case.
static int readHangerIds()
{
    if (!HangerIds.empty() || !fs::exists(HangerRecord) || fs::file_size(HangerRecord) == 0)
        return 0;
    std::istringstream(readText(HangerRecord)) >> HangerIds.emplace_back() >>
        HangerIds.emplace_back();
    return 1;
}

static void playerHoldsExit(int milliseconds)
{
    if (readHangerIds())
    {
        testPressKey(VkEscape);
        Elapsed = 0;
    }
    if (HangerIds.empty()) return;
    Elapsed += milliseconds;
    if (Elapsed == ReleaseAt) testReleaseKey(VkEscape);
    if (Elapsed == EndAt) kill(-HangerIds[0], SIGTERM);
}

// Exit held for ExitGameHoldSeconds ends the game's whole group: asked first, killed two
// seconds later when it will not go. A shorter hold, or none, changes nothing, and an Exit held
// as the game ends does not end the front end too.
TEST_F(Launch, HoldingExitEndsAHungGameAndWhatItStarted)
{
    std::tie(FrontendSettings.Keys[KeyExit], FrontendSettings.Keys[KeyP2Exit]) = std::tuple(27, 0);
    FrontendSettings.UseJoystick = 0;
    HangerRecord = Dir / "ids";
    // Mode, the game's own length in real ms, hold setting, release and end on the test clock,
    // then: asked to end, killed, exit code.
    const std::tuple<const char*, int, int, int, int, bool, bool, int> cases[] = {
        {"stubborn", 60000, 3, -1, -1, true, true, 128 + SIGKILL},
        {"leaves", 60000, 3, -1, -1, true, true, 0},
        {"polite", 60000, 3, -1, -1, true, false, 128 + SIGTERM},
        {"polite", 300, 3, 1000, -1, false, false, 0},               // let go after a second
        {"polite", 300, 0, -1, -1, false, false, 0},                 // switched off
        {"polite", 60000, 3, -1, 1500, false, false, 128 + SIGTERM}, // ended during the hold
    };
    testOnSleep(playerHoldsExit);
    for (const auto& [mode, length, hold, release, end, asked, killed, exitCode] : cases)
    {
        FrontendSettings.ExitGameHoldSeconds = hold;
        std::tie(ReleaseAt, EndAt) = std::tie(release, end);
        HangerIds.clear();
        fs::remove(HangerRecord);
        std::string command =
            EmuDir + "/hanger " + HangerRecord.string() + " " + mode + " " + std::to_string(length);
        int code = -1;
        std::string said = stderrOf([&] { EXPECT_EQ(runProgram(command, "", &code, ""), 1); });
        readHangerIds(); // never pressed when the hold is off
        flushKeyboard(); // as after any game
        EXPECT_EQ(said.find("the player ended the game") != std::string::npos, asked) << said;
        EXPECT_EQ(said.find("killed") != std::string::npos, killed) << said;
        EXPECT_EQ(code, exitCode) << mode;
        ASSERT_EQ(HangerIds.size(), 2u);
        for (int id : HangerIds) EXPECT_TRUE(kill(id, 0) == -1 && errno == ESRCH) << mode;
        // Until the Exit held over the game's end is let go, Exit does not act.
        int active[ActionCount];
        FrontendState.WindowHasFocus = 1;
        sampleActions(active);
        EXPECT_EQ(active[ActionExit], 0) << mode;
        testReleaseKey(VkEscape);
        sampleActions(active);
        testTapKey(VkEscape);
        sampleActions(active);
        EXPECT_EQ(active[ActionExit], 1) << mode;
    }
    testOnSleep(nullptr);
}

static std::vector<Color> SeenDuringGame;
static void lookAtTheScreen(int)
{
    SeenDuringGame.push_back(testScreenPixel(0, 0));
}

TEST_F(Launch, TheScreenIsGivenUpDuringAGameAndTakenBackAfterEvenOneThatFailed)
{
    const Color NoScreen = 0xFFFFFFFF;
    FrontendSettings.ReleaseScreenDuringGame = 1;
    testOnSleep(lookAtTheScreen);
    // The emulator, and whether it could be started.
    for (auto [executable, started] : {std::pair("argrecorder", 1), std::pair("missing", 0)})
    {
        SeenDuringGame.clear();
        Emu.Executable = executable;
        int code;
        EXPECT_EQ(launchGame(&Entry, &code), started);
        EXPECT_NE(testScreenPixel(0, 0), NoScreen) << executable;
        EXPECT_EQ(!SeenDuringGame.empty() && SeenDuringGame.front() == NoScreen, started != 0);
    }
    EXPECT_EQ(boxTexts(), Args{"Cannot start [" + EmuDir + "/missing game.zip]: not found."});
    testOnSleep(nullptr);
}
