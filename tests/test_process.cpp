// Starting programs: the Windows splitting rules, no shell, the working directory, PATH,
// failures to start, exit codes and captured output.
#include "platform/process.h"
#include "support.h"

#include <algorithm>

static const std::string Recorder = TestPrograms + "argrecorder";

// The exit code, or -1 when the program did not start.
static int run(const std::string& commandLine, const std::string& dir = "",
               const std::string& output = "")
{
    std::string why;
    Process* process = platformStartProcess(commandLine, dir, output, why);
    int code = -2;
    EXPECT_TRUE(!process || platformWaitProcess(process, &code) == 1);
    return process ? code : -1;
}

TEST_F(InFreshDirectory, ProcessesSplitByWindowsRulesRunWithoutAShellWhereAndAsTold)
{
    EXPECT_EQ(platformSplitCommandLine(" a\"b c\"d \"\" a\\\\\"b c\" a\\\\\\\"b tail\\\\\t"
                                       "line\nbreak \"unbalanced  rest"),
              (std::vector<std::string>{"ab cd", "", "a\\b c", "a\\\"b", "tail\\\\", "line\nbreak",
                                        "unbalanced  rest"}));
    fs::path record = Dir / "record";
    setenv("ARGRECORDER_OUT", record.c_str(), 1);
    setenv("ARGRECORDER_EXIT", "7", 1);
    fs::create_directories(Dir / "emu dir" / "bin");
    fs::copy_file(Recorder, Dir / "emu dir" / "bin" / "torvanell-recorder");
    EXPECT_EQ(run(Recorder + " \"two words\" $(touch pwned);x * >redirect", "emu dir"), 7);
    EXPECT_EQ(readRecord(record),
              (std::vector<std::string>{(Dir / "emu dir").string(), "two words", "$(touch",
                                        "pwned);x", "*", ">redirect"}));
    EXPECT_FALSE(fs::exists(Dir / "emu dir" / "pwned") || fs::exists(Dir / "emu dir" / "redirect"));
    unsetenv("ARGRECORDER_EXIT");
    // A relative program is found from our folder although it runs in its own.
    EXPECT_EQ(run("\"emu dir/bin/torvanell-recorder\"", "emu dir/bin"), 0);
    EXPECT_EQ(readRecord(record)[0], (Dir / "emu dir" / "bin").string());
    fs::remove(record);

    // An executable text without "#!" would be a shell script; it is not run through one.
    writeText("plain.txt", "echo started > started\n");
    fs::permissions("plain.txt", fs::perms::owner_all);
    writeText("notexec", "#!/bin/sh\n");
    for (const char* program : {"torvanell-recorder", "\"emu dir\"", "notexec", "plain.txt", "  "})
        EXPECT_EQ(run(program), -1) << program;
    EXPECT_EQ(run(Recorder, "plain.txt"), -1);
    EXPECT_EQ(run(Recorder, "", "no such dir/out.txt"), -1);
    EXPECT_FALSE(fs::exists("started") || fs::exists(record));

    // Standard output and error both replace what the file held.
    writeText("out.txt", std::string(10 << 20, 'o'));
    setenv("ARGRECORDER_MEGABYTES", "3", 1);
    EXPECT_EQ(run(Recorder, "", "out.txt"), 0);
    EXPECT_EQ(fs::file_size("out.txt"), 3u * 1024 * 1024 * 3 / 2);
    unsetenv("ARGRECORDER_MEGABYTES");
    unsetenv("ARGRECORDER_OUT");
}
