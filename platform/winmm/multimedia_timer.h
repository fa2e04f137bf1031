// What the multimedia timers let another driver do in place of their threads and the
// host's clock: fire the live timers itself and answer timeGetTime (the testing library
// drives the playback clock this way).
#pragma once

#include <mmsystem.h>

#include <chrono>
#include <vector>

namespace plk::winmm {

struct LiveTimer {
  UINT id;
  LPTIMECALLBACK callback;
  DWORD_PTR user;
  bool periodic;
};

// In the order they were set.
std::vector<LiveTimer> LiveTimers();

// With false, timeSetEvent starts no thread: a timer runs only when its callback is called.
void RunTimerThreads(bool run);

// timeGetTime answers now() instead of the monotonic clock; null restores the clock.
void SetTimeSource(DWORD (*now)());

// When a timer set at `now` first fires: `delay` later, moved on to the next boundary of
// timeGetTime's milliseconds (later periods follow on the same boundaries).
std::chrono::steady_clock::time_point FirstDeadline(std::chrono::steady_clock::time_point now,
                                                    std::chrono::milliseconds delay);

}  // namespace plk::winmm
