// Implements: the test seam of hand-fired multimedia timers (timeSetEvent starts no thread;
// FireTimers runs every live timer's callback once, ending one-shot timers) and of a
// manual timeGetTime.
// Does not implement: firing one timer alone, or timers due by their period.
#include "winmm/testing/manual_timers.h"

#include <atomic>

#include "winmm/multimedia_timer.h"

namespace plk::winmm::testing {
namespace {

std::atomic<std::uint32_t> manualMilliseconds{0};

DWORD ManualNow() { return manualMilliseconds; }

}  // namespace

void UseManualTimers(bool manual) { RunTimerThreads(!manual); }

int FireTimers() {
  int fired = 0;
  for (const LiveTimer& timer : LiveTimers()) {
    timer.callback(timer.id, 0, timer.user, 0, 0);
    fired++;
    if (!timer.periodic) timeKillEvent(timer.id);
  }
  return fired;
}

void UseManualTime(bool manual) { SetTimeSource(manual ? ManualNow : nullptr); }

void SetManualTime(std::uint32_t milliseconds) { manualMilliseconds = milliseconds; }

}  // namespace plk::winmm::testing
