// The high-resolution counter and sleeping.
#pragma once

#include <cstdint>

// Counts per second; 0 when there is no counter.
int64_t platformCounterFrequency();
int64_t platformCounter();
void platformSleep(int milliseconds);
