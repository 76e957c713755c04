// A cabinet's lights and marquee programs run beside the front end: a command that hangs or
// floods its output must never hold up the list, so nothing here waits.
#include "core/events.h"

#include "catalogue/catalogue.h"
#include "launch/launch.h"
#include "platform/clock.h"
#include "platform/process.h"

#include <cstdio>
#include <vector>

EventsRecord Events;

static const char* const EventLog = "log.txt";

static void askToEnd(EventRun& run, const char* why)
{
    if (!run.Running) return;
    if (why) fprintf(stderr, "%s\n", why);
    platformEndProcess(run.Running, 0);
    Events.Ending.push_back({run.Running, platformMilliseconds(), 0});
    run.Running = nullptr;
}

static void tellFailure(CabinetEvent event, const std::string& line, const std::string& why)
{
    if (Events.Told[event]++) return;
    fprintf(stderr, "[Events] %s: cannot start [%s]: %s; told once\n", EventNames[event],
            line.c_str(), why.c_str());
}

void startEventCommand(CabinetEvent event, const Game* game)
{
    const std::string& pattern = FrontendSettings.EventCommands[event];
    if (pattern.empty()) return;
    EventRun& run = Events.Runs[event];
    // Routine for a selection that moves on: not told, or every move would be.
    if (run.Running && !platformReapProcess(run.Running)) askToEnd(run, nullptr);
    run.Running = nullptr;
    std::string line = expandEventLine(pattern, game);
    int logged = FrontendSettings.DebugCmdLine.has_value();
    if (logged) appendToLog("Executing command line: ", line);
    std::string why;
    run.Running = platformStartAside(line, logged ? EventLog : "", &why);
    run.StartedAt = platformMilliseconds();
    if (!run.Running) tellFailure(event, line, why);
}

void eventsStep()
{
    int64_t now = platformMilliseconds();
    for (int event = 0; event < EventCount; event++)
    {
        EventRun& run = Events.Runs[event];
        if (run.Running && platformReapProcess(run.Running)) run.Running = nullptr;
        if (run.Running && now - run.StartedAt >= EventCommandMs)
            askToEnd(run, ("[Events] " + std::string(EventNames[event]) +
                           ": still running after 10 s; it is ended")
                              .c_str());
    }
    std::vector<EndingRun> left;
    for (EndingRun& ending : Events.Ending)
    {
        if (platformReapProcess(ending.Running)) continue;
        if (!ending.Killed && now - ending.AskedAt >= EventKillAfterMs)
        {
            platformEndProcess(ending.Running, 1);
            ending.Killed = 1;
        }
        left.push_back(ending);
    }
    Events.Ending = std::move(left);
}

void stopEvents()
{
    for (int event = 0; event < EventCount; event++)
    {
        Process* running = Events.Runs[event].Running;
        if (running && event != EventQuit) platformEndProcess(running, 0);
        platformLetGo(running);
    }
    for (EndingRun& ending : Events.Ending) platformLetGo(ending.Running);
    Events = EventsRecord();
}
