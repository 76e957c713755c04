// The stop signals' handlers. A handler may only touch a lock-free atomic flag; the rest of
// the program reads it between steps.
#include "platform/stop.h"

#include <csignal>
#include <initializer_list>

static volatile sig_atomic_t StopSignal;

static void onStopSignal(int signal)
{
    // The first signal names the request; a second one (a service manager that asks twice,
    // Ctrl+C pressed again) must not cut the exit save short, so it changes nothing.
    if (StopSignal == 0) StopSignal = signal;
}

void platformWatchStopSignals()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes under way go on: a save interrupted half-way would be a lost save.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}

int platformStopRequested()
{
    return StopSignal;
}

void platformClearStopRequest()
{
    StopSignal = 0;
}
