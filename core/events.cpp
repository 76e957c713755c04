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

// Read of a command's output at each step: a command writing without pause must not hold up
// the tick, and what it writes beyond the log's share is read only to be dropped.
static const size_t OutputPerStep = 256 * 1024;

// How its lines in log.txt and on standard error start: "[Events] GameStart: ".
static std::string eventPrefix(CabinetEvent event)
{
    return "[Events] " + std::string(EventNames[event]) + ": ";
}

// What the command wrote since the last step, into log.txt up to its share.
static void logOutput(EventRun& run)
{
    std::string text;
    size_t got = platformTakeOutput(run.Running, text, OutputPerStep);
    if (got == 0) return;
    size_t room = run.Written < EventOutputLimit ? EventOutputLimit - run.Written : 0;
    appendOutputToLog(text.substr(0, room));
    if (run.Written <= EventOutputLimit && run.Written + got > EventOutputLimit)
        appendToLog(eventPrefix(run.Event), "the command wrote more than " +
                                                std::to_string(EventOutputLimit >> 10) +
                                                " KB; the rest is left out of the log");
    run.Written += got;
}

// Its output taken to the last byte before it is let go.
static int ended(EventRun& run)
{
    int gone = platformProcessEnded(run.Running);
    logOutput(run);
    if (gone) platformLetGo(run.Running);
    return gone;
}

static void askToEnd(EventRun& run, const char* why)
{
    if (!run.Running) return;
    if (why) fprintf(stderr, "%s\n", why);
    EndingRun ending{run, {}};
    platformAskToEnd(run.Running, ending.Ending);
    Events.Ending.push_back(ending);
    run.Running = nullptr;
}

static void tellFailure(CabinetEvent event, const std::string& line, const std::string& why)
{
    if (Events.Told[event]++) return;
    fprintf(stderr, "%scannot start [%s]: %s; told once\n", eventPrefix(event).c_str(),
            line.c_str(), why.c_str());
}

void startEventCommand(CabinetEvent event, const Game* game)
{
    const std::string& pattern = FrontendSettings.EventCommands[event];
    if (pattern.empty()) return;
    EventRun& run = Events.Runs[event];
    // Routine for a selection that moves on: not told, or every move would be.
    if (run.Running && !ended(run)) askToEnd(run, nullptr);
    run = EventRun();
    run.Event = event;
    std::string line = expandEventLine(pattern, game);
    int logged = FrontendSettings.DebugCmdLine.has_value();
    if (logged) logCommandLine(line);
    std::string why;
    // Quit's command outlives the front end: nobody would read its output, and a pipe with no
    // reader would end it at its first write.
    run.Running = platformStartAside(line, logged && event != EventQuit, why);
    run.StartedAt = platformMilliseconds();
    if (!run.Running) tellFailure(event, line, why);
}

void eventsStep()
{
    platformReapStrays();
    int64_t now = platformMilliseconds();
    for (int event = 0; event < EventCount; event++)
    {
        EventRun& run = Events.Runs[event];
        if (run.Running && ended(run)) run.Running = nullptr;
        if (run.Running && now - run.StartedAt >= EventCommandMs)
            askToEnd(run, (eventPrefix((CabinetEvent)event) + "still running after " +
                           std::to_string(EventCommandMs / 1000) + " s; it is ended")
                              .c_str());
    }
    std::vector<EndingRun> left;
    for (EndingRun& ending : Events.Ending)
    {
        if (ended(ending.Run)) continue;
        platformKillWhenOverdue(ending.Run.Running, ending.Ending);
        left.push_back(ending);
    }
    Events.Ending = std::move(left);
}

void stopEvents()
{
    std::vector<Process*> toEnd;
    for (int event = 0; event < EventCount; event++)
    {
        EventRun& run = Events.Runs[event];
        if (run.Running) logOutput(run);
        if (event == EventQuit)
            platformLetGo(run.Running);
        else
            toEnd.push_back(run.Running);
    }
    for (EndingRun& ending : Events.Ending) toEnd.push_back(ending.Run.Running);
    platformEndWithin(toEnd);
    Events = EventsRecord();
}
