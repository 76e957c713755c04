// Starting programs: splitting by the Windows rules, no shell, working directory, PATH,
// failures to start, exit codes and captured output.
#include "platform/process.h"
#include "support.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>

static const std::string Recorder = TestPrograms + "argrecorder";

class ProcessTest : public InFreshDirectory
{
protected:
    fs::path Record;

    void SetUp() override
    {
        InFreshDirectory::SetUp();
        startTestPlatform();
        Record = Dir / "record";
        setenv("ARGRECORDER_OUT", Record.c_str(), 1);
    }
    void TearDown() override
    {
        for (const char* name : {"ARGRECORDER_OUT", "ARGRECORDER_EXIT", "ARGRECORDER_MEGABYTES",
                                 "ARGRECORDER_SLEEP_MS"})
            unsetenv(name);
        InFreshDirectory::TearDown();
    }
    // Starts and waits; answers the exit code, or -1 when the program did not start.
    int run(const std::string& commandLine, const std::string& workingDirectory = "",
            const std::string& output = "")
    {
        Process* process = platformStartProcess(commandLine, workingDirectory, output);
        if (!process) return -1;
        int code = -2;
        EXPECT_EQ(platformWaitProcess(process, &code), 1);
        return code;
    }
};

TEST(SplitCommandLine, WindowsRules)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {" \t ", {}},
        {"a b\tc", {"a", "b", "c"}},
        {"  lead   trail  ", {"lead", "trail"}},
        {"\"a b\" c", {"a b", "c"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\" x", {"", "x"}},
        {"C:\\emu\\mame.exe", {"C:\\emu\\mame.exe"}},
        {"\\\"quoted\\\"", {"\"quoted\""}},
        {"a\\\\\"b c\"", {"a\\b c"}},
        {"a\\\\\\\"b", {"a\\\"b"}},
        {"tail\\\\", {"tail\\\\"}},
        {"\"unbalanced rest  of line", {"unbalanced rest  of line"}},
        {"line\nbreak x", {"line\nbreak", "x"}},
        {"$(id) ; `id` | & * > out", {"$(id)", ";", "`id`", "|", "&", "*", ">", "out"}},
    };
    for (const auto& [line, arguments] : cases)
        EXPECT_EQ(platformSplitCommandLine(line), arguments) << line;

    std::string huge(10000, 'y');
    EXPECT_EQ(platformSplitCommandLine("prog \"" + huge), (std::vector<std::string>{"prog", huge}));
}

TEST_F(ProcessTest, RunsDirectlyInTheWorkingDirectoryWithTheExitCode)
{
    fs::create_directory(Dir / "emu dir");
    setenv("ARGRECORDER_EXIT", "7", 1);
    EXPECT_EQ(run(Recorder + " \"two words\" $(touch pwned) `touch pwned2`;x * >redirect",
                  (Dir / "emu dir").string()),
              7);
    EXPECT_EQ(readRecord(Record),
              (std::vector<std::string>{(Dir / "emu dir").string(), "two words", "$(touch",
                                        "pwned)", "`touch", "pwned2`;x", "*", ">redirect"}));
    // Nothing ran through a shell: no files were made, no redirection happened.
    for (const char* made : {"pwned", "pwned2", "redirect"})
        EXPECT_FALSE(fs::exists(Dir / "emu dir" / made) || fs::exists(Dir / made)) << made;

    // Without a working directory the program runs in ours.
    unsetenv("ARGRECORDER_EXIT");
    EXPECT_EQ(run(Recorder), 0);
    EXPECT_EQ(readRecord(Record)[0], Dir.string());
}

TEST_F(ProcessTest, RelativeProgramPathAndPathLookup)
{
    fs::create_directories(Dir / "emu" / "bin");
    fs::copy_file(Recorder, Dir / "emu" / "recorder");
    fs::copy_file(Recorder, Dir / "emu" / "bin" / "torvanell-recorder");

    // Relative to our directory although the program runs in its own.
    EXPECT_EQ(run("emu/recorder a", "emu"), 0);
    EXPECT_EQ(readRecord(Record)[0], (Dir / "emu").string());

    std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", ((Dir / "emu" / "bin").string() + ":" + oldPath).c_str(), 1);
    EXPECT_EQ(run("torvanell-recorder b"), 0);
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(readRecord(Record), (std::vector<std::string>{Dir.string(), "b"}));
    EXPECT_EQ(run("torvanell-recorder c"), -1);
}

TEST_F(ProcessTest, ProgramsThatCannotStartAreFailuresNotExitCodes)
{
    writeText(Dir / "plain.txt", "echo started > started\n");
    fs::permissions(Dir / "plain.txt", fs::perms::owner_all);
    writeText(Dir / "notexec", "#!/bin/sh\n");
    fs::create_directory(Dir / "adir");

    // An executable text without "#!" would be a shell script; it is not run through one.
    const std::pair<std::string, std::string> cases[] = {
        {(Dir / "missing").string(), ""},
        {"torvanell-no-such-program-anywhere", ""},
        {(Dir / "adir").string(), ""},
        {(Dir / "notexec").string(), ""},
        {(Dir / "plain.txt").string(), ""},
        {Recorder, (Dir / "no such dir").string()},
        {Recorder, (Dir / "plain.txt").string()},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& [commandLine, directory] : cases)
        EXPECT_EQ(run(commandLine, directory), -1) << commandLine << " in " << directory;
    EXPECT_EQ(run(Recorder, "", (Dir / "no such dir" / "out.txt").string()), -1);
    EXPECT_FALSE(fs::exists(Dir / "started"));
    EXPECT_FALSE(fs::exists(Record)); // none of them ran the recorder
    EXPECT_EQ(platformWaitProcess(nullptr, nullptr), 0);
}

TEST_F(ProcessTest, MegabytesOfOutputAndAKill)
{
    // Standard output and standard error both go into the file, replacing what was there.
    writeText(Dir / "out.txt", std::string(10 * 1024 * 1024, 'o'));
    setenv("ARGRECORDER_MEGABYTES", "3", 1);
    EXPECT_EQ(run(Recorder, "", "out.txt"), 0);
    EXPECT_EQ(fs::file_size(Dir / "out.txt"), 3u * 1024 * 1024 * 3 / 2);

    // A program killed from outside reports 128 + the signal.
    setenv("ARGRECORDER_MEGABYTES", "0", 1);
    setenv("ARGRECORDER_SLEEP_MS", "20000", 1);
    Process* process = platformStartProcess(Recorder, "", "");
    ASSERT_NE(process, nullptr);
    platformTerminateProcess(process);
    int code = 0;
    EXPECT_EQ(platformWaitProcess(process, &code), 1);
    EXPECT_EQ(code, 128 + SIGTERM);
    unsetenv("ARGRECORDER_SLEEP_MS");
}

TEST(TypeKeys, WithoutADisplayNothingIsTypedAndOneLineSaysSo)
{
    unsetenv("DISPLAY");
    testing::internal::CaptureStderr();
    platformTypeKeyDown('5');
    platformTypeKeyUp('5');
    platformTypeKeyDown(0x70);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("keys are not typed"), std::string::npos);

    // The screen saver calls are harmless without X.
    platformSuspendScreenSaver();
    platformResumeScreenSaver();
    platformResumeScreenSaver();
    EXPECT_EQ(platformScreenSaverState(), -1);
}
