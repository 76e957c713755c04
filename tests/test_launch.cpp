// Launching a game: the template, the run, the failures, the log and the typed keys' waits.
#include "launch/launch.h"

#include "core/frontend.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "support.h"

#include <csignal>

static const std::string Recorder = TestPrograms + "argrecorder";

class LaunchTest : public InFreshDirectory
{
protected:
    fs::path EmuDir, Record;
    Emulator Emu;
    Game Entry;

    void SetUp() override
    {
        InFreshDirectory::SetUp();
        startTestPlatform();
        unsetenv("DISPLAY"); // keys must never reach the desktop of whoever runs the tests
        EmuDir = Dir / "emu";
        fs::create_directories(EmuDir);
        fs::copy_file(Recorder, EmuDir / "recorder");
        Record = Dir / "record";
        setenv("ARGRECORDER_OUT", Record.c_str(), 1);
        FrontendSettings.SendKeys = 0;
        FrontendSettings.SendKeyWait = 6;
        FrontendSettings.SendKeyInterval = 500;
        FrontendSettings.DebugCmdLine.reset();
        Emu.ExecPath = EmuDir.string();
        Emu.Executable = "recorder";
        Emu.CmdLine = "%f";
        EmulatorTable.assign(1, &Emu);
        Entry.Name = "game.zip";
    }
    void TearDown() override
    {
        EmulatorTable.clear();
        for (const char* name : {"ARGRECORDER_OUT", "ARGRECORDER_EXIT", "ARGRECORDER_CRASH"})
            unsetenv(name);
        InFreshDirectory::TearDown();
    }
    // The recorded working directory and arguments of the run.
    std::vector<std::string> launch(int* exitCode = nullptr)
    {
        int code = -1;
        EXPECT_EQ(launchGame(&Entry, exitCode ? exitCode : &code), 1);
        std::vector<std::string> record = readRecord(Record);
        fs::remove(Record);
        return record;
    }
};

TEST_F(LaunchTest, TemplateTokensAndTheCommandLine)
{
    const std::pair<const char*, const char*> stripped[] = {
        {"Puzzle (U) [!].zip", "Puzzle (U) [!]"},
        {"game.tar.gz", "game.tar"},
        {"photo.jpeg", "photo.jpeg"},
        {"trailing.", "trailing"}};
    for (auto [name, result] : stripped) EXPECT_EQ(stripExtension(name), result);

    Entry = Game{};
    Entry.Description = "Big Game";
    Entry.RomDirectory = "/roms";
    Entry.Name = "big.zip";
    const std::pair<const char*, const char*> templates[] = {
        {"%d|%f|%p|%q|%r|%%|%D|%x|%", "Big Game|big.zip|/roms|\"|big|%|D|x|"}, {"", "big.zip"}};
    for (auto [line, expanded] : templates)
    {
        Emu.CmdLine = line;
        EXPECT_EQ(expandCmdLine(&Emu, &Entry), expanded);
    }
    Entry.Name = "100%f%q"; // what a token inserts is not expanded again
    Emu.CmdLine = "-x %f";
    EXPECT_EQ(expandCmdLine(&Emu, &Entry), "-x 100%f%q");

    EXPECT_EQ(buildCommandLine("", "mame", "-x"), "mame -x");
    EXPECT_EQ(buildCommandLine("/emu", "mame -rompath r", "a"), "/emu/mame -rompath r a");
    fs::create_directory(Dir / "My Emulators");
    touch(Dir / "My Emulators" / "emu");
    EXPECT_EQ(buildCommandLine((Dir / "My Emulators").string(), "emu", "a"),
              "\"" + (Dir / "My Emulators" / "emu").string() + "\" a");
}

// A name ending in a backslash must not swallow the closing quote and turn the rest of the
// line into options.
TEST_F(LaunchTest, ArgumentsExitCodesAndBackslashesThatCannotRegroupThem)
{
    setenv("ARGRECORDER_EXIT", "3", 1);
    int code = -1;
    Entry.Name = "pack -autoboot_script evil.lua \\";
    Entry.Description = "ends in \\\"";
    Emu.CmdLine = "%q%f%q --desc %q%d%q";
    EXPECT_EQ(launch(&code),
              (std::vector<std::string>{EmuDir.string(), Entry.Name, "--desc", Entry.Description}));
    EXPECT_EQ(code, 3);
    Entry.Name = "\"q"; // a backslash the template puts before a name's quote stays one
    Emu.CmdLine = "%q\\%f%q";
    EXPECT_EQ(launch(), (std::vector<std::string>{EmuDir.string(), "\\\"q"}));

    setenv("ARGRECORDER_CRASH", "1", 1);
    launch(&code);
    EXPECT_EQ(code, 128 + SIGSEGV);
    EXPECT_TRUE(testMessageBoxes().empty());
}

TEST_F(LaunchTest, FailuresGiveTheBoxAndTheLogHoldsEveryRunAsOneLine)
{
    FrontendSettings.DebugCmdLine = "1";
    writeText("log.txt", "earlier\n");
    Entry.Name = "two\nlines";
    launch();
    Emu.Executable = "missing";
    int code = 12345;
    EXPECT_EQ(launchGame(&Entry, &code), 0);
    EXPECT_EQ(code, 12345);
    std::string prefix = "Executing command line: " + EmuDir.string();
    EXPECT_EQ(readText("log.txt"),
              "earlier\n" + prefix + "/recorder two\\nlines\n" + prefix + "/missing two\\nlines\n");
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Failed to execute [" + EmuDir.string() +
                                                   "/missing two\nlines]!"});
    Entry.EmulatorIndex = 1;
    EXPECT_EQ(launchGame(&Entry, nullptr), 0);

    // Neither a log that cannot be opened nor children reaped by the system stop the launch;
    // the latter cannot give the exit code.
    testMessageBoxes().clear();
    fs::remove("log.txt");
    fs::create_directory("log.txt");
    Entry.EmulatorIndex = 0;
    Emu.Executable = "recorder";
    EXPECT_EQ(launch(), (std::vector<std::string>{EmuDir.string(), "two\nlines"}));
    std::signal(SIGCHLD, SIG_IGN);
    EXPECT_EQ(runProgram(Recorder, "", &code, ""), 1);
    EXPECT_EQ(runProgram(Recorder, "", nullptr, ""), 1);
    std::signal(SIGCHLD, SIG_DFL);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"GetExitCodeProcess failed!"});
}

TEST_F(LaunchTest, KeysWaitAndIntervalOnlyWhenSendKeysIsOn)
{
    testUseClock(1000); // milliseconds; sleeping advances them
    struct
    {
        int SendKeys, Wait, Interval;
        const char* Keys;
        int64_t Waited;
    } cases[] = {{0, 6, 500, "51", 0},
                 {1, 6, 500, "51", 6000 + 2 * 500},
                 {1, 6, 500, "", 0},
                 {1, -5, -1, "1", 0}}; // nonsense waits nothing rather than forever
    for (const auto& c : cases)
    {
        FrontendSettings.SendKeys = c.SendKeys;
        FrontendSettings.SendKeyWait = c.Wait;
        FrontendSettings.SendKeyInterval = c.Interval;
        Emu.SendKeys = c.Keys;
        int64_t start = platformCounter();
        std::string said = stderrOf([&] { launch(); });
        EXPECT_EQ(platformCounter() - start, c.Waited) << c.Keys;
        EXPECT_TRUE(!c.Waited || said.find("keys are not typed") != std::string::npos) << said;
    }
}
