// How long an idle wait for host input sleeps: SDL is asked every 100 ms for a second after
// input, every 10 s after that, on a wake-up that the wait has anyway where there is one.
#include <gtest/gtest.h>

#include "user32/host/sdl/host_wait.h"

namespace {

using namespace std::chrono_literals;
using plk::user32::HostWaitTime;

TEST(HostWaitTime, ATimerTickIsSleptWholeAndSdlIsAskedWhenItEnds) {
  // Just after input. The 10 ms redraw timer, with SDL last asked 95 ms ago: no wake-up of
  // its own at 100 ms.
  EXPECT_EQ(HostWaitTime(10ms, 95ms, 0ms), 10ms);
  EXPECT_EQ(HostWaitTime(10ms, 250ms, 0ms), 10ms);
  EXPECT_EQ(HostWaitTime(100ms, 30ms, 0ms), 100ms);
  EXPECT_EQ(HostWaitTime(0ms, 30ms, 0ms), 0ms);
  // Without a timer, or with one further off, the wait ends when SDL is due.
  EXPECT_EQ(HostWaitTime(std::nullopt, 30ms, 0ms), 70ms);
  EXPECT_EQ(HostWaitTime(500ms, 30ms, 999ms), 70ms);
  EXPECT_EQ(HostWaitTime(std::nullopt, 130ms, 0ms), 0ms);
}

TEST(HostWaitTime, AQuietHostIsAskedOnlyEveryTenSeconds) {
  EXPECT_EQ(HostWaitTime(std::nullopt, 30ms, 1s), 9970ms);
  EXPECT_EQ(HostWaitTime(500ms, 130ms, 5s), 500ms);
  EXPECT_EQ(HostWaitTime(20s, 9s, 60s), 1000ms);
  EXPECT_EQ(HostWaitTime(std::nullopt, 11s, 60s), 0ms);
}

}  // namespace
