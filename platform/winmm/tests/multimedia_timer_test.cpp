// Periodic multimedia timers run on absolute deadlines, and timeKillEvent returns only
// when no callback of the timer runs.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "winmm/multimedia_timer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Ticks {
  std::atomic<int> count{0};
  std::atomic<bool> inCallback{false};
  Clock::time_point first, last;
};

void CALLBACK Tick(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto& ticks = *reinterpret_cast<Ticks*>(user);
  ticks.inCallback = true;
  (++ticks.count == 1 ? ticks.first : ticks.last) = Clock::now();
  std::this_thread::sleep_for(8ms);  // a callback that takes most of its period
  ticks.inCallback = false;
}

// Deadlines counted from the end of the previous callback would put 20 periods at 360 ms
// or more; on absolute deadlines they take 200 ms, leaving room for a busy machine.
TEST(MultimediaTimer, PeriodsDoNotDriftWhenCallbacksTakeTime) {
  Ticks ticks;
  const UINT id = timeSetEvent(10, 1, Tick, reinterpret_cast<DWORD_PTR>(&ticks), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  while (ticks.count < 21) std::this_thread::sleep_for(5ms);
  EXPECT_EQ(timeKillEvent(id), UINT{TIMERR_NOERROR});
  EXPECT_FALSE(ticks.inCallback) << "timeKillEvent returned while a callback ran";
  EXPECT_LT(ticks.last - ticks.first, (ticks.count - 1) * 17ms) << ticks.count << " ticks";
  EXPECT_EQ(timeKillEvent(id), UINT{MMSYSERR_INVALPARAM});
}

// A timer's periods begin where timeGetTime's milliseconds do, so that each callback reads
// the millisecond that has just begun.
TEST(MultimediaTimer, FirstDeadlineIsTheBoundaryAfterTheDelay) {
  using TimePoint = Clock::time_point;
  EXPECT_EQ(plk::winmm::FirstDeadline(TimePoint(5'000'300us), 1ms), TimePoint(5'002ms));
  EXPECT_EQ(plk::winmm::FirstDeadline(TimePoint(5ms), 10ms), TimePoint(15ms));
}

}  // namespace
