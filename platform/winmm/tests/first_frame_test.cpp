#include "first_frame.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far longer than any test here takes: a wait that ends early ended for a reason.
constexpr std::chrono::milliseconds kForever = 60s;

TEST(FirstFrameLatch, WaitsOnlyWhileAFrameIsExpectedAndNotYetShown) {
  plk::FirstFrameLatch latch;
  const auto start = Clock::now();
  latch.Await(kForever);  // nothing expected: no window will come
  EXPECT_LT(Clock::now() - start, kForever / 2);

  latch.Expect();
  std::atomic<bool> returned{false};
  std::thread waiter([&] {
    latch.Await(kForever);
    returned = true;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(returned) << "returned before the frame";
  latch.Announce();
  waiter.join();
  EXPECT_LT(Clock::now() - start, kForever / 2);

  latch.Announce();  // later presents change nothing
  latch.Await(kForever);
  EXPECT_LT(Clock::now() - start, kForever / 2);
}

TEST(FirstFrameLatch, AFrameThatNeverComesDelaysOnlyUntilTheLimit) {
  plk::FirstFrameLatch latch;
  latch.Expect();
  const auto start = Clock::now();
  latch.Await(20ms);
  EXPECT_GE(Clock::now() - start, 20ms);
}

}  // namespace
