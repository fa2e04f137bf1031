// Message order, WM_PAINT and WM_TIMER generation, WM_QUIT and waiting.
#include "window_fixture.h"

#include <chrono>
#include <thread>

using namespace std::chrono_literals;

TEST_F(User32Test, PostedThenQuitThenPaintThenTimersAndTicksNeverPileUp) {
  t::UseManualClock();
  HWND window = CreateMain(false);
  ShowWindow(window, SW_SHOW);  // the whole client area is now invalid
  SetTimer(window, 7, 10, nullptr);
  t::AdvanceClock(25ms);
  PostMessageA(window, WM_USER, 1, 0);
  PostMessageA(window, WM_USER + 1, 2, 0);
  PostQuitMessage(3);

  // 25 ms passed but ticks do not pile up: the next one is a whole period away.
  std::vector<UINT> taken = {Take(PM_NOREMOVE).message};
  for (int i = 0; i < 6; ++i) taken.push_back(Take().message);
  t::AdvanceClock(10ms);
  taken.push_back(Take().message);
  EXPECT_EQ(taken, (std::vector<UINT>{WM_USER, WM_USER, WM_USER + 1, WM_QUIT, WM_PAINT, WM_TIMER,
                                      WM_NULL, WM_TIMER}));
  EXPECT_EQ(Received(WM_TIMER).at(0).wParam, 7u);
  PostQuitMessage(3);
  MSG quit{};
  EXPECT_EQ(GetMessageA(&quit, nullptr, 0, 0), FALSE);
  EXPECT_EQ(quit.wParam, 3u);
}

TEST_F(User32Test, WaitMessageWakesForATimerAndForAPostFromAnotherThread) {
  HWND window = CreateMain(false);
  SetTimer(window, 1, 5, nullptr);
  EXPECT_TRUE(WaitMessage());
  EXPECT_EQ(Take().message, static_cast<UINT>(WM_TIMER));
  KillTimer(window, 1);

  std::thread poster([window] {
    std::this_thread::sleep_for(20ms);
    PostMessageA(window, WM_USER + 5, 0, 0);
  });
  EXPECT_TRUE(WaitMessage());
  poster.join();
  EXPECT_EQ(Take().message, static_cast<UINT>(WM_USER + 5));
}
