// Implements: the clock that window timers run on: steady, or the one a test installs.
// Does not implement: a clock per thread (one clock serves every queue).
#include "user32/timer_clock.h"

#include <atomic>

namespace plk::user32 {
namespace {

std::atomic<Clock::time_point (*)()>& ManualNow() {
  static std::atomic<Clock::time_point (*)()> now{nullptr};
  return now;
}

}  // namespace

Clock::time_point Now() {
  Clock::time_point (*manual)() = ManualNow();
  return manual ? manual() : Clock::now();
}

bool ManualClockActive() { return ManualNow() != nullptr; }

void SetManualClock(Clock::time_point (*now)()) { ManualNow() = now; }

}  // namespace plk::user32
