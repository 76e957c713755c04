// The high-resolution counter and sleeping, with the test clock that replaces both.
#include "platform/clock.h"

#include "platform/internal.h"
#include "platform/testing.h"

#include <ctime>

struct TestClockRecord
{
    int InUse;
    int64_t Frequency;
    int64_t Now;
    void (*OnSleep)(int milliseconds);
};
static TestClockRecord TestClock;

// A test's clock starts at a frequency like the one of common hardware.
const int64_t DefaultTestFrequency = 10000000;

void resetTestClock()
{
    TestClock.InUse = 1;
    TestClock.Frequency = DefaultTestFrequency;
    TestClock.Now = 0;
    TestClock.OnSleep = nullptr;
}

void testOnSleep(void (*hook)(int milliseconds))
{
    TestClock.OnSleep = hook;
}

void testUseClock(int64_t frequency)
{
    TestClock.InUse = 1;
    TestClock.Frequency = frequency;
}

void testAdvanceClock(int64_t counts)
{
    TestClock.Now += counts;
}

void testUseRealClock()
{
    TestClock.InUse = 0;
}

int64_t platformCounterFrequency()
{
    if (TestClock.InUse) return TestClock.Frequency;
    return (int64_t)SDL_GetPerformanceFrequency();
}

int64_t platformCounter()
{
    if (TestClock.InUse) return TestClock.Frequency ? TestClock.Now : 0;
    return (int64_t)SDL_GetPerformanceCounter();
}

void platformSleep(int milliseconds)
{
    // A sleep is a blocking wait: what was drawn must be on the screen meanwhile.
    presentIfDirty();
    if (TestClock.InUse)
    {
        if (milliseconds > 0) TestClock.Now += TestClock.Frequency * milliseconds / 1000;
        if (TestClock.OnSleep) TestClock.OnSleep(milliseconds);
        return;
    }
    if (milliseconds > 0) SDL_Delay((Uint32)milliseconds);
}

int usingTestClock()
{
    return TestClock.InUse;
}

int64_t platformMilliseconds()
{
    int64_t frequency = platformCounterFrequency();
    if (frequency <= 0) return (int64_t)SDL_GetTicks64();
    return (int64_t)((__int128)platformCounter() * 1000 / frequency);
}

int64_t platformWallSeconds()
{
    const int64_t TestDay = 1767225600; // 2026-01-01 00:00:00 UTC
    if (TestClock.InUse) return TestDay + platformMilliseconds() / 1000;
    return (int64_t)time(nullptr);
}
