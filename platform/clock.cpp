// The high-resolution counter and sleeping, with the test clock that replaces both.
#include "platform/clock.h"

#include "platform/testing.h"
#include "platform/waits.h"

#include <cerrno>
#include <ctime>

WaitHooksRecord WaitHooks;

// The monotonic clock in nanoseconds: it never steps back when the wall clock is set.
static int64_t monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
}

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
    return 1000000000;
}

int64_t platformCounter()
{
    if (TestClock.InUse) return TestClock.Frequency ? TestClock.Now : 0;
    return monotonicNanoseconds();
}

void platformSleep(int milliseconds)
{
    if (WaitHooks.BeforeSleep) WaitHooks.BeforeSleep();
    if (TestClock.InUse)
    {
        if (milliseconds > 0) TestClock.Now += TestClock.Frequency * milliseconds / 1000;
        if (TestClock.OnSleep) TestClock.OnSleep(milliseconds);
        return;
    }
    if (milliseconds <= 0) return;
    timespec left{milliseconds / 1000, (long)(milliseconds % 1000) * 1000000};
    while (nanosleep(&left, &left) != 0 && errno == EINTR)
    {
    }
}

int usingTestClock()
{
    return TestClock.InUse;
}

int64_t platformMilliseconds()
{
    int64_t frequency = platformCounterFrequency();
    if (frequency <= 0) return monotonicNanoseconds() / 1000000;
    return (int64_t)((__int128)platformCounter() * 1000 / frequency);
}

int64_t platformWallSeconds()
{
    const int64_t TestDay = 1767225600; // 2026-01-01 00:00:00 UTC
    if (TestClock.InUse) return TestDay + platformMilliseconds() / 1000;
    return (int64_t)time(nullptr);
}
