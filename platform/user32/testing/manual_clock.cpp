// Implements: the window timer seams declared in user32_testing.h: a clock that only the
// test moves (through the timers' manual clock hook), and timers fired on demand.
// Does not implement: a clock per thread (one clock serves every queue).
#include "user32/message_queue.h"
#include "user32/testing/user32_testing.h"

#include <atomic>

namespace plk::user32::testing {
namespace {

std::atomic<Clock::rep> ticks{0};

Clock::time_point ManualNow() { return Clock::time_point(Clock::duration(ticks.load())); }

}  // namespace

void UseManualClock() {
  ticks = Clock::now().time_since_epoch().count();
  SetManualClock(ManualNow);
}

void AdvanceClock(std::chrono::milliseconds step) {
  ticks += std::chrono::duration_cast<Clock::duration>(step).count();
}

void UseRealClock() { SetManualClock(nullptr); }

int FireTimers(HWND window) {
  int fired = 0;
  for (const WindowTimer& timer : CurrentQueue().TimersOf(window)) {
    MSG tick{window,         WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.procedure),
             GetTickCount(), {}};
    DispatchMessageA(&tick);
    ++fired;
  }
  return fired;
}

}  // namespace plk::user32::testing
