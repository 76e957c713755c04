// The one tick loop.
#include "runtime/tickloop.h"

#include "platform/clock.h"
#include "platform/window.h"
#include "runtime/music.h"

#include <cstdint>

// Dispatches the next message when one is waiting; 1 when it was the quit message, taken.
static int dispatchNextMessage(int* quitCode)
{
    Message message;
    if (!platformTakeMessage(&message)) return 0;
    if (message.Kind == MsgQuit)
    {
        if (quitCode) *quitCode = (int)message.Param1;
        return 1;
    }
    platformDispatchMessage(&message);
    return 0;
}

int TickLoopDepth;
void (*AfterTick)();

int runTickLoop(const std::function<void()>& tick, const int* done, int* quitCode,
                const std::function<int(int milliseconds)>& idle)
{
    int64_t frequency = platformCounterFrequency();
    if (frequency <= 0) return 0;
    struct Depth
    {
        Depth()
        {
            TickLoopDepth++;
        }
        ~Depth()
        {
            TickLoopDepth--;
        }
    } depth;
    const int64_t period = frequency * TickMilliseconds / 1000;
    // The due time advances by exactly one period per tick run, never from the clock: the
    // rhythm does not drift, and the ticks that fell due while one blocked (a game, a sub-menu)
    // run back to back until the loop has caught up. Whatever blocked flushed the keys, so
    // those ticks see only the controls still held.
    int64_t due = platformCounter() + period;
    while (!done || !*done)
    {
        if (dispatchNextMessage(quitCode)) return 1;
        if (platformCounter() >= due)
        {
            tick();
            musicStep(); // in every loop: a track may end while a pop-up is open
            if (AfterTick) AfterTick();
            due += period;
            continue;
        }
        if (idle && idle((int)((due - platformCounter()) * 1000 / frequency))) continue;
        platformSleep(1);
    }
    return 1;
}
