// Implements: timeBeginPeriod, timeEndPeriod (the host's sleeps are already fine-grained,
// so the period is only checked) and timeGetTime on the monotonic clock.
// Does not implement yet: timeSetEvent, timeKillEvent.
#include <mmsystem.h>

#include <chrono>

MMRESULT timeBeginPeriod(UINT period) { return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

MMRESULT timeEndPeriod(UINT period) { return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

DWORD timeGetTime(void) {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
