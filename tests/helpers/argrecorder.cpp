// An emulator stand-in: records its folder and arguments into ARGRECORDER_OUT as "<kind> <length>
// \n<bytes>\n", so any byte survives; then obeys ARGRECORDER_MEGABYTES, _SLEEP_MS, _CRASH, _EXIT,
// and _COMPLAIN (a megabyte of lines on standard error ending as MAME's about missing ROMs, exit
// 1).
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

static int fromEnvironment(const char* name)
{
    return std::getenv(name) ? std::atoi(std::getenv(name)) : 0;
}

int main(int argc, char** argv)
{
    if (const char* path = std::getenv("ARGRECORDER_OUT"))
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        std::string cwd = std::filesystem::current_path().string();
        out << "cwd " << cwd.size() << '\n' << cwd << '\n';
        for (int i = 1; i < argc; i++)
            out << "arg " << std::string(argv[i]).size() << '\n' << argv[i] << '\n';
    }
    std::string block(1 << 20, 'x');
    for (int i = 0; i < fromEnvironment("ARGRECORDER_MEGABYTES"); i++)
        fwrite(block.data(), 1, block.size(), stdout), fwrite(block.data(), 1, 1 << 19, stderr);
    fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(fromEnvironment("ARGRECORDER_SLEEP_MS")));
    if (fromEnvironment("ARGRECORDER_COMPLAIN"))
    {
        std::string line(1000, 'x');
        for (int i = 0; i < 1000; i++) fprintf(stderr, "%s\n", line.c_str());
        fprintf(stderr, "pacman.zip NOT FOUND\n\nRequired files are missing, the machine cannot be "
                        "run.\n");
        return 1;
    }
    if (fromEnvironment("ARGRECORDER_CRASH"))
        std::signal(SIGSEGV, SIG_DFL), std::raise(SIGSEGV); // a sanitizer would exit instead
    return fromEnvironment("ARGRECORDER_EXIT");
}
