// The real program, stopped at its first frame on screen: prints the seconds since the time
// the benchmark gave in START_PROBE_SPAWNED (steady-clock nanoseconds, taken just before it
// started this process), then the resident and the peak resident memory in kB, and ends.
#include "core/frontend.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

static long statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field) + 1);
    return 0;
}

// The loading messages are presented too; the first frame is the one with the main window.
// With START_PROBE_EXIT set the program goes on: Escape is pressed at that frame, and the time
// of the press (steady-clock nanoseconds) is printed after the figures.
static void reportFirstFrame()
{
    if (!platformIsWindowVisible(FrontendState.MainWindow)) return;
    long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    const char* spawned = std::getenv("START_PROBE_SPAWNED");
    double seconds = spawned ? (double)(now - std::atoll(spawned)) / 1e9 : 0;
    std::printf("%.6f %ld %ld", seconds, statusKilobytes("VmRSS:"), statusKilobytes("VmHWM:"));
    if (!std::getenv("START_PROBE_EXIT"))
    {
        std::printf("\n");
        std::fflush(stdout);
        std::_Exit(0);
    }
    testOnPresent(nullptr);
    std::printf(" %lld\n", now);
    std::fflush(stdout);
    testPressKey(0x1B); // Escape
}

int main(int argc, char** argv)
{
    testOnPresent(reportFirstFrame);
    EndProcessWithFrontend = 1; // as the program does
    return runFrontend(argc > 1 ? argv[1] : "");
}
