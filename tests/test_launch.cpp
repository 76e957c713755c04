// Launching a game: the template, the command line, the run, the failures and the log.
#include "launch/launch.h"

#include "core/frontend.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "support.h"

#include <csignal>
#include <cstdlib>

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
        Entry.EmulatorIndex = 0;
        Entry.Name = "game.zip";
    }
    void TearDown() override
    {
        EmulatorTable.clear();
        for (const char* name : {"ARGRECORDER_OUT", "ARGRECORDER_EXIT", "ARGRECORDER_CRASH"})
            unsetenv(name);
        InFreshDirectory::TearDown();
    }
    // The recorded working directory and arguments of the last run.
    std::vector<std::string> launch(int expectedResult = 1, int* exitCode = nullptr)
    {
        int code = -1;
        EXPECT_EQ(launchGame(&Entry, exitCode ? exitCode : &code), expectedResult);
        std::vector<std::string> record = readRecord(Record);
        fs::remove(Record);
        return record;
    }
};

TEST(StripExtension, ExtensionsOfUpToThreeCharacters)
{
    const std::pair<const char*, const char*> cases[] = {{"Puzzle (U) [!].zip", "Puzzle (U) [!]"},
                                                         {"game.tar.gz", "game.tar"},
                                                         {"photo.jpeg", "photo.jpeg"},
                                                         {"noext", "noext"},
                                                         {"a.b.c", "a.b"},
                                                         {"trailing.", "trailing"},
                                                         {"", ""}};
    for (auto [name, stripped] : cases) EXPECT_EQ(stripExtension(name), stripped) << name;
}

TEST_F(LaunchTest, TemplateTokens)
{
    Entry.Description = "Big Game";
    Entry.RomDirectory = "/roms";
    Entry.Name = "big.zip";
    Emu.CmdLine = "%d|%f|%p|%q|%r|%%|%D|%x|%";
    EXPECT_EQ(expandCmdLine(&Emu, &Entry), "Big Game|big.zip|/roms|\"|big|%|D|x|");
    Emu.CmdLine = "";
    EXPECT_EQ(expandCmdLine(&Emu, &Entry), "big.zip");
    // What a token inserts is not expanded again.
    Entry.Name = "100%f%q";
    Emu.CmdLine = "-x %f";
    EXPECT_EQ(expandCmdLine(&Emu, &Entry), "-x 100%f%q");
    Entry.RomDirectory = "";
    Emu.CmdLine = "%p/%f";
    EXPECT_EQ(expandCmdLine(&Emu, &Entry), "/100%f%q");

    EXPECT_EQ(buildCommandLine("/emu", "mame", "-x"), "/emu/mame -x");
    EXPECT_EQ(buildCommandLine("", "mame", "-x"), "mame -x");
    fs::create_directory(Dir / "My Emulators");
    touch(Dir / "My Emulators" / "emu");
    EXPECT_EQ(buildCommandLine((Dir / "My Emulators").string(), "emu", "a"),
              "\"" + (Dir / "My Emulators" / "emu").string() + "\" a");
    EXPECT_EQ(buildCommandLine("/emu", "mame -rompath r", "a"), "/emu/mame -rompath r a");
}

TEST_F(LaunchTest, GamesReachTheEmulatorAsTheirArgumentsWithTheExitCode)
{
    setenv("ARGRECORDER_EXIT", "3", 1);
    int code = -1;
    Entry.Name = std::string(10000, 'n') + ".zip";
    Emu.CmdLine = "%r %f%";
    EXPECT_EQ(launch(1, &code),
              (std::vector<std::string>{EmuDir.string(), std::string(10000, 'n'), Entry.Name}));
    EXPECT_EQ(code, 3);
    Emu.CmdLine = "";
    EXPECT_EQ(launch(), (std::vector<std::string>{EmuDir.string(), Entry.Name}));
    EXPECT_TRUE(testMessageBoxes().empty());
}

// Backslashes before a quote escape it when the command line is split: a name ending in one
// must not swallow the closing quote and turn the rest of the line into options.
TEST_F(LaunchTest, BackslashesInNamesCannotRegroupTheArguments)
{
    const std::string names[] = {
        "pack -autoboot_script evil.lua \\",
        "name\\.zip",
        "trail\\",
        "back\\slash\\.zip",
        "\\\\\\\\",
        "a\\\\\"b",
        "ends in \\\"",
        "\"\\ \" \\\\\" -x \\",
        "Evil \"; rm -rf x; \" $(touch pwned) `touch pwned2` | & * > out\nline2\\\".zip",
    };
    Emu.CmdLine = "%q%f%q --desc %q%d%q %q%r%q %q%p%q";
    for (const std::string& name : names)
    {
        Entry.Name = name;
        Entry.Description = "Desc of " + name;
        Entry.RomDirectory = "/roms\\" + name + "\\";
        EXPECT_EQ(launch(),
                  (std::vector<std::string>{EmuDir.string(), name, "--desc", Entry.Description,
                                            stripExtension(name), Entry.RomDirectory}))
            << name;
    }
    // Outside quotes a name splits at its blanks as before; a backslash the template puts
    // before a name's quote stays a backslash.
    Entry.Name = "trail\\ x\\";
    Emu.CmdLine = "%f";
    EXPECT_EQ(launch(), (std::vector<std::string>{EmuDir.string(), "trail\\", "x\\"}));
    Entry.Name = "\"q";
    Emu.CmdLine = "%q\\%f%q";
    EXPECT_EQ(launch(), (std::vector<std::string>{EmuDir.string(), "\\\"q"}));
    Emu.CmdLine = "%q\\%p%q -x"; // an empty folder brings the template's backslash to the quote
    Entry.RomDirectory = "";
    EXPECT_EQ(launch(), (std::vector<std::string>{EmuDir.string(), "\\", "-x"}));
}

TEST_F(LaunchTest, AnyTextBetweenQuotesComesBackAsOneArgument)
{
    std::mt19937 random(20261206);
    auto generate = [&random]()
    {
        std::string text(random() % 24, ' ');
        for (char& c : text)
        {
            unsigned pick = random() % 8;
            c = pick < 3 ? '\\' : pick < 5 ? '"' : (char)(1 + random() % 255);
        }
        return text;
    };
    for (int i = 0; i < 20000; i++)
    {
        Entry.Name = generate();
        Entry.Description = generate();
        Emu.CmdLine = "%q%f%q";
        ASSERT_EQ(platformSplitCommandLine(expandCmdLine(&Emu, &Entry)),
                  std::vector<std::string>{Entry.Name});
        Emu.CmdLine = "x%q%d%q y";
        ASSERT_EQ(platformSplitCommandLine(expandCmdLine(&Emu, &Entry)),
                  (std::vector<std::string>{"x" + Entry.Description, "y"}));
        Emu.CmdLine = "%q%r%q";
        ASSERT_EQ(platformSplitCommandLine(expandCmdLine(&Emu, &Entry)),
                  std::vector<std::string>{stripExtension(Entry.Name)});
    }
}

TEST_F(LaunchTest, ProgramsThatCannotStartGiveTheBoxAndResultZero)
{
    touch(Dir / "afile");
    const std::pair<std::string, std::string> cases[] = {
        {EmuDir.string(), "missing"},
        {(Dir / "afile").string(), "recorder"},
        {"", "torvanell-no-such-emulator"},
    };
    for (const auto& [execPath, executable] : cases)
    {
        Emu.ExecPath = execPath;
        Emu.Executable = executable;
        testMessageBoxes().clear();
        int code = 12345;
        EXPECT_EQ(launchGame(&Entry, &code), 0);
        EXPECT_EQ(code, 12345);
        std::string commandLine = buildCommandLine(execPath, executable, "game.zip");
        EXPECT_EQ(boxTexts(), std::vector<std::string>{"Failed to execute [" + commandLine + "]!"});
    }
    EXPECT_FALSE(fs::exists(Record));
    EXPECT_FALSE(fs::exists(Dir / "log.txt")); // DebugCmdLine unset: no log
    Entry.EmulatorIndex = 1;
    EXPECT_EQ(launchGame(&Entry, nullptr), 0);
}

TEST_F(LaunchTest, ACrashingEmulatorAndAnUnreadableExitCode)
{
    setenv("ARGRECORDER_CRASH", "1", 1);
    int code = 0;
    launch(1, &code);
    EXPECT_EQ(code, 128 + SIGSEGV);
    unsetenv("ARGRECORDER_CRASH");

    // With children reaped by the system the exit code cannot be read.
    std::signal(SIGCHLD, SIG_IGN);
    EXPECT_EQ(runProgram(Recorder, "", &code, ""), 1);
    EXPECT_EQ(runProgram(Recorder, "", nullptr, ""), 1); // no code wanted: nothing to say
    std::signal(SIGCHLD, SIG_DFL);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"GetExitCodeProcess failed!"});
}

TEST_F(LaunchTest, DebugCmdLineLogsEveryRunAsOneLine)
{
    FrontendSettings.DebugCmdLine = "1";
    writeText("log.txt", "earlier\n");
    launch();
    Entry.Name = "two\nlines";
    launch();
    Emu.Executable = "missing"; // logged before the start fails
    launchGame(&Entry, nullptr);
    std::string prefix = "Executing command line: " + EmuDir.string();
    EXPECT_EQ(readText("log.txt"), "earlier\n" + prefix + "/recorder game.zip\n" + prefix +
                                       "/recorder two\\nlines\n" + prefix +
                                       "/missing two\\nlines\n");

    // A log that cannot be opened does not stop the launch.
    fs::remove("log.txt");
    fs::create_directory("log.txt");
    Emu.Executable = "recorder";
    EXPECT_EQ(launch().size(), 2u);
}

TEST_F(LaunchTest, KeysWaitAndIntervalOnlyWhenSendKeysIsOn)
{
    testUseClock(1000); // counts are milliseconds; sleeping advances them
    Emu.SendKeys = "51";
    int64_t start = platformCounter();
    launch();
    EXPECT_EQ(platformCounter(), start); // flag off: the wait starts at once

    FrontendSettings.SendKeys = 1;
    testing::internal::CaptureStderr();
    launch();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(platformCounter() - start, 6000 + 2 * 500);
    EXPECT_NE(said.find("keys are not typed"), std::string::npos);

    Emu.SendKeys = "";
    start = platformCounter();
    launch();
    EXPECT_EQ(platformCounter(), start);
    FrontendSettings.SendKeyWait = -5; // nonsense settings wait nothing rather than forever
    FrontendSettings.SendKeyInterval = -1;
    Emu.SendKeys = "1";
    launch();
    EXPECT_EQ(platformCounter(), start);
}
