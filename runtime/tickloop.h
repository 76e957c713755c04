// The fixed 100 ms tick every loop of the front end runs on: the main loop and the modal loops
// of the menu and the game information. Between ticks it dispatches the thread's messages, so
// every window (the main window's timers too) is served while a modal window is open.
#pragma once

#include <functional>

const int TickMilliseconds = 100;
const char* const NoCounterText = "Hardware doesn't support QueryPerformanceFrequency()!";

// Runs tick every TickMilliseconds of the high-resolution counter, handling at most one message
// between two looks at the clock, until *done is set (done may be null) or the quit message
// is taken; that message is not posted again. Answers 0 at once, running nothing, when the
// platform has no counter; else 1, with the quit message's code in *quitCode (may be null)
// when it ended the loop.
// While nothing is due, idle (may be null) is offered the milliseconds left until the next
// tick; it answers 1 when it did a piece of work (and is offered the time again), 0 when it
// has nothing that fits, and the loop then sleeps.
// How many tick loops run now, one inside the other: 1 in the main loop, more while a pop-up's
// loop runs over it.
extern int TickLoopDepth;
// Runs after every tick, in every loop; null for nothing.
extern void (*AfterTick)();
int runTickLoop(const std::function<void()>& tick, const int* done, int* quitCode,
                const std::function<int(int milliseconds)>& idle = nullptr);
