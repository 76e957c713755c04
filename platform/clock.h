// The high-resolution counter and sleeping.
#pragma once

#include <cstdint>

// Counts per second; 0 when there is no counter.
int64_t platformCounterFrequency();
int64_t platformCounter();
// Milliseconds on the same counter (the monotonic clock's without one); the test clock's in
// tests.
int64_t platformMilliseconds();
void platformSleep(int milliseconds);
// Seconds since 1970 (UTC) on the wall clock; under the test clock, a fixed day plus the test
// clock's time, so that tests see the same dates at every run.
int64_t platformWallSeconds();
