// The message queue of the one thread and the window timers. Posted messages come first, then
// the quit message, then paint for invalid windows, then timers that fell due: a paint or a
// timer message exists only while nothing else is waiting.
#include "platform/clock.h"
#include "platform/internal.h"
#include "platform/stop.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <deque>

struct Timer
{
    Window* Target;
    int Id;
    int64_t Period; // milliseconds
    int64_t Due;    // on platformMilliseconds
};

// Keys pressed while nobody reads the queue (a game running, a busy wait) must not pile up.
const size_t KeyMessageLimit = 256;

static std::deque<Message> Posted;
static std::vector<Timer> Timers;
static int QuitPosted;
static int QuitCode;

void platformPostMessage(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    Posted.push_back({window, kind, param1, param2});
}

void postKeyMessage(int code)
{
    Window* focus = platformFocusWindow();
    if (focus && Posted.size() < KeyMessageLimit) platformPostMessage(focus, MsgKeyDown, code, 0);
}

void platformPostQuit(int exitCode)
{
    QuitPosted = 1;
    QuitCode = exitCode;
}

void platformSetTimer(Window* window, int id, int milliseconds)
{
    if (!isWindow(window)) return;
    int64_t period = milliseconds > 0 ? milliseconds : 1;
    int64_t due = platformMilliseconds() + period;
    for (Timer& timer : Timers)
        if (timer.Target == window && timer.Id == id)
        {
            timer.Period = period;
            timer.Due = due;
            return;
        }
    Timers.push_back({window, id, period, due});
}

void platformKillTimer(Window* window, int id)
{
    for (size_t i = 0; i < Timers.size(); i++)
        if (Timers[i].Target == window && Timers[i].Id == id)
        {
            Timers.erase(Timers.begin() + (long)i);
            return;
        }
}

void forgetWindowMessages(Window* window)
{
    std::erase_if(Posted, [window](const Message& message) { return message.Target == window; });
    std::erase_if(Timers, [window](const Timer& timer) { return timer.Target == window; });
}

void stopMessages()
{
    Posted.clear();
    Timers.clear();
    QuitPosted = 0;
    QuitCode = 0;
}

static Timer* firstDueTimer()
{
    int64_t now = platformMilliseconds();
    Timer* first = nullptr;
    for (Timer& timer : Timers)
        if (timer.Due <= now && (!first || timer.Due < first->Due)) first = &timer;
    return first;
}

static int nextMessage(Message* message, int remove)
{
    pumpSdlEvents();
    // A stop signal is a quit message that is never taken: each loop that looks at the queue
    // ends in turn, the modal ones first, down to the main one.
    if (platformStopRequested())
    {
        *message = {nullptr, MsgQuit, 0, 0};
        return 1;
    }
    if (!Posted.empty())
    {
        *message = Posted.front();
        if (remove) Posted.pop_front();
        return 1;
    }
    if (QuitPosted)
    {
        *message = {nullptr, MsgQuit, QuitCode, 0};
        if (remove) QuitPosted = 0;
        return 1;
    }
    if (Window* window = firstInvalidWindow())
    {
        *message = {window, MsgPaint, 0, 0}; // stays until the window is painted
        return 1;
    }
    if (Timer* timer = firstDueTimer())
    {
        *message = {timer->Target, MsgTimer, timer->Id, 0};
        if (remove) timer->Due = platformMilliseconds() + timer->Period;
        return 1;
    }
    // The queue is idle: what was drawn goes to the screen now.
    presentIfDirty();
    return 0;
}

int platformPeekMessage(Message* message)
{
    return nextMessage(message, 0);
}

int platformTakeMessage(Message* message)
{
    return nextMessage(message, 1);
}

static void waitForSomething()
{
    if (usingTestClock())
    {
        platformSleep(1); // advances the test clock, so timers come due
        return;
    }
    int64_t wait = 10;
    int64_t now = platformMilliseconds();
    for (const Timer& timer : Timers) wait = std::min(wait, std::max<int64_t>(timer.Due - now, 0));
    SDL_WaitEventTimeout(nullptr, (int)wait);
}

int platformGetMessage(Message* message)
{
    while (!nextMessage(message, 1)) waitForSomething();
    return message->Kind != MsgQuit;
}

intptr_t platformDispatchMessage(const Message* message)
{
    if (!message || message->Kind == MsgQuit || !isWindow(message->Target)) return 0;
    if (message->Kind == MsgPaint)
    {
        paintWindow(message->Target);
        return 0;
    }
    return sendMessage(message->Target, message->Kind, message->Param1, message->Param2);
}
