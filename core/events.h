// The [Events] command lines: started beside the front end as things happen at the cabinet,
// never waited for, one per event at a time, and ended when they overstay.
#pragma once

#include "config/settings.h"
#include "platform/process.h"

#include <cstdint>
#include <vector>

struct Game;

const int64_t EventCommandMs = 10000; // an event's command is ended after this long
// Of what one command writes, log.txt gets this much (with DebugCmdLine) and a line saying
// the rest was left out.
const size_t EventOutputLimit = 64 * 1024;

struct EventRun
{
    Process* Running = nullptr;
    int64_t StartedAt = 0; // on the platform clock
    CabinetEvent Event = EventStartup;
    size_t Written = 0; // of its output, logged or not
};

struct EndingRun
{
    EventRun Run;
    ProgramEnding Ending;
};

struct EventsRecord
{
    EventRun Runs[EventCount];
    std::vector<EndingRun> Ending; // asked to end, not yet gone
    int Told[EventCount] = {};     // a failure to start was told
};
extern EventsRecord Events;

// Starts the event's command with the game's texts (game may be null), ending the one still
// running for it. Nothing when the event has no command.
void startEventCommand(CabinetEvent event, const Game* game);
// Between ticks: takes up the commands that ended and ends those that overstayed.
void eventsStep();
// At exit: the commands still running are asked to end, but for Quit's, which is left to run;
// those that have not ended EndGraceMs later are killed.
void stopEvents();
