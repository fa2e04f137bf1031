// Message order, WM_PAINT and WM_TIMER generation, SendMessage, WM_QUIT and waiting.
#include "window_fixture.h"

#include "user32/testing/user32_testing.h"

#include <chrono>
#include <thread>

using namespace std::chrono_literals;
namespace t = plk::user32::testing;

namespace {

UINT Take(HWND filter = nullptr) {
  MSG message{};
  if (!PeekMessageA(&message, filter, 0, 0, PM_REMOVE)) return WM_NULL;
  DispatchMessageA(&message);
  return message.message;
}

}  // namespace

TEST_F(User32Test, PostedMessagesComeBeforePaintAndPaintBeforeTimers) {
  t::UseManualClock();
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);  // the whole client area is now invalid
  SetTimer(window, 7, 10, nullptr);
  t::AdvanceClock(25ms);
  PostMessageA(window, WM_USER, 1, 0);
  PostMessageA(window, WM_USER + 1, 2, 0);

  EXPECT_EQ(Take(), static_cast<UINT>(WM_USER));
  EXPECT_EQ(Take(), static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(Take(), static_cast<UINT>(WM_PAINT));
  MSG timer{};
  ASSERT_TRUE(PeekMessageA(&timer, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(timer.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(timer.wParam, 7u);
  // 25 ms passed but ticks do not pile up: the next one is a whole period away.
  EXPECT_EQ(Take(), static_cast<UINT>(WM_NULL));
  t::AdvanceClock(10ms);
  EXPECT_EQ(Take(), static_cast<UINT>(WM_TIMER));
}

TEST_F(User32Test, PaintStaysQueuedUntilValidatedAndNoRemoveLeavesPostedMessages) {
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);
  PostMessageA(window, WM_USER, 0, 0);
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  // Taking WM_PAINT does not remove it; only validation does.
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
  ValidateRect(window, nullptr);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(User32Test, SendMessageRunsTheProcedureAtOnceAndReturnsItsResult) {
  HWND window = CreateMain();
  recording::log.clear();
  SetWindowTextA(window, "Renamed");
  ASSERT_EQ(Received(WM_SETTEXT).size(), 1u);
  char text[4];
  // Cut to the buffer like Windows: three characters and the terminator.
  EXPECT_EQ(SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 3);
  EXPECT_STREQ(text, "Ren");
  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "nothing was queued";
}

TEST_F(User32Test, GetMessageReturnsZeroForQuitAfterThePostedMessages) {
  PostMessageA(nullptr, WM_USER, 0, 0);
  PostQuitMessage(3);
  MSG message{};
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
}

TEST_F(User32Test, FilterByWindowIncludesItsChildren) {
  HWND main = CreateMain();
  HWND child = CreateChild(main, 0, 0, 10, 10);
  HWND other = CreateMain();
  PostMessageA(other, WM_USER, 0, 0);
  PostMessageA(child, WM_USER + 1, 0, 0);
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, main, WM_USER, WM_USER + 10, PM_REMOVE));
  EXPECT_EQ(message.hwnd, child);
  EXPECT_FALSE(PeekMessageA(&message, main, WM_USER, WM_USER + 10, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
  EXPECT_EQ(message.hwnd, other);
}

TEST_F(User32Test, WaitMessageWakesForATimerAndForAPostFromAnotherThread) {
  HWND window = CreateMain();
  SetTimer(window, 1, 5, nullptr);
  EXPECT_TRUE(WaitMessage());
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
  KillTimer(window, 1);

  std::thread poster([window] {
    std::this_thread::sleep_for(20ms);
    PostMessageA(window, WM_USER + 5, 0, 0);
  });
  EXPECT_TRUE(WaitMessage());
  poster.join();
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 5));
}

TEST_F(User32Test, FireTimersDispatchesEachTimerOfTheWindow) {
  HWND window = CreateMain();
  SetTimer(window, 1, 10, nullptr);
  SetTimer(window, 2, 1000, nullptr);
  KillTimer(window, 2);
  EXPECT_EQ(t::FireTimers(window), 1);
  ASSERT_EQ(Received(WM_TIMER).size(), 1u);
  EXPECT_EQ(Received(WM_TIMER)[0].wParam, 1u);
}
