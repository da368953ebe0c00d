// Monotonic 64-bit clock in place of the Windows performance counter.
#pragma once
#include <cstdint>

// Ticks per second of ClockNow (nanoseconds: 1,000,000,000).
int64_t ClockFrequency();
// Current tick count of a monotonic clock.
int64_t ClockNow();
