// The clock window timers run on.
#pragma once

#include <chrono>

namespace plk::user32 {

using Clock = std::chrono::steady_clock;

// The clock that window timers run on: steady, unless SetManualClock gave another. A manual clock
// moves only when its owner moves it, so WaitMessage does not sleep on it. Null restores the steady
// clock.
Clock::time_point Now();
bool ManualClockActive();
void SetManualClock(Clock::time_point (*now)());

}  // namespace plk::user32
