// The high-resolution counter and sleeping.
#pragma once

#include <cstdint>

// Counts per second; 0 when there is no counter.
int64_t platformCounterFrequency();
int64_t platformCounter();
// Milliseconds on the same counter (SDL's tick count without one); the test clock's in tests.
int64_t platformMilliseconds();
void platformSleep(int milliseconds);
