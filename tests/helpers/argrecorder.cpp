// Stands in for an emulator: records its arguments and working directory into the file named by
// ARGRECORDER_OUT, then does what the environment asks: ARGRECORDER_SLEEP_MS (stay running),
// ARGRECORDER_MEGABYTES (write that many megabytes to standard output and standard error),
// ARGRECORDER_CRASH (die of SIGSEGV), ARGRECORDER_EXIT (the exit code).
//
// Record format, chosen so that any byte survives: "cwd <length>\n<bytes>\n" and then one
// "arg <length>\n<bytes>\n" per argument after the program name.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

static int numberFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : 0;
}

static void writeEntry(std::ofstream& out, const char* kind, const std::string& text)
{
    out << kind << ' ' << text.size() << '\n' << text << '\n';
}

static void record(int argc, char** argv)
{
    const char* path = std::getenv("ARGRECORDER_OUT");
    if (!path) return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    writeEntry(out, "cwd", std::filesystem::current_path().string());
    for (int i = 1; i < argc; i++) writeEntry(out, "arg", argv[i]);
}

static void writeMegabytes(int megabytes)
{
    std::string block(1024 * 1024, 'x');
    for (int i = 0; i < megabytes; i++)
    {
        fwrite(block.data(), 1, block.size(), stdout);
        fwrite(block.data(), 1, block.size() / 2, stderr);
    }
    fflush(stdout);
}

int main(int argc, char** argv)
{
    record(argc, argv);
    writeMegabytes(numberFromEnvironment("ARGRECORDER_MEGABYTES"));
    int sleepMs = numberFromEnvironment("ARGRECORDER_SLEEP_MS");
    if (sleepMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    if (numberFromEnvironment("ARGRECORDER_CRASH"))
    {
        // A sanitizer would catch the signal and exit instead of dying of it.
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    }
    return numberFromEnvironment("ARGRECORDER_EXIT");
}
