// Creation and destruction, geometry, showing, focus, a top-level window's pixels across
// resizes, and the names a drop hands out.
#include "window_fixture.h"

#include <shellapi.h>

#include "user32/drop_block.h"
#include "user32/window_pixels.h"

#include <chrono>

TEST_F(User32Test, CreationRunsTheHandlersBeforeItReturns) {
  HWND window = CreateMain(false);
  EXPECT_EQ(Messages({WM_CREATE, WM_SIZE}), (Sent{{window, WM_CREATE}}));
  HWND child = CreateChild(window, 0, 0, 10, 10);
  // A child gets its size at creation; an overlapped window only when first shown.
  EXPECT_EQ(Messages({WM_SIZE}), (Sent{{child, WM_SIZE}}));
}

TEST_F(User32Test, ClosingDestroysTheWindowThenItsChildrenAndDropsTheirMessages) {
  t::UseManualClock();
  HWND main = CreateMain(false);
  HWND child = CreateChild(main, 0, 0, 10, 10);
  SetTimer(main, 1, 10, nullptr);
  PostMessageA(main, WM_USER, 0, 0);
  SendMessageA(main, WM_CLOSE, 0, 0);  // DefWindowProcA destroys the window
  EXPECT_EQ(Messages({WM_DESTROY}), (Sent{{main, WM_DESTROY}, {child, WM_DESTROY}}));
  EXPECT_FALSE(IsWindow(child));
  t::AdvanceClock(std::chrono::milliseconds(20));
  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "its messages and timers go";
}

TEST_F(User32Test, WindowAndClientRectanglesFollowMoveWindow) {
  HWND main = CreateMain(false);
  HWND child = CreateChild(main, 30, 40, 24, 12);
  RECT outer, client;
  GetWindowRect(main, &outer);
  GetClientRect(main, &client);
  // The frame AdjustWindowRect reports, and the scroll bar's 17 pixels.
  RECT frame = {0, 0, client.right + GetSystemMetrics(SM_CXVSCROLL), client.bottom};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  EXPECT_EQ(frame.right - frame.left, 480);
  EXPECT_EQ(frame.bottom - frame.top, 768);
  const POINT origin = {outer.left - frame.left, outer.top - frame.top};  // the client's
  recording::log.clear();
  MoveWindow(main, outer.left, outer.top, 960 - client.right, 1536 - client.bottom, TRUE);
  GetClientRect(main, &client);
  EXPECT_TRUE(SameRect(client, {0, 0, 480, 768}));
  EXPECT_EQ(Received(WM_SIZE).at(0).lParam, MAKELPARAM(480, 768));
  MoveWindow(child, 5, 6, 24, 12, TRUE);
  RECT rect;
  GetWindowRect(child, &rect);
  EXPECT_TRUE(SameRect(rect, {origin.x + 5, origin.y + 6, origin.x + 29, origin.y + 18}));
}

TEST_F(User32Test, ShowingSizesAndFocusesAndMinimisingEmptiesTheClientArea) {
  HWND main = CreateMain();
  EXPECT_EQ(GetFocus(), main);
  RECT client, minimised;
  GetClientRect(main, &client);
  ShowWindow(main, SW_MINIMIZE);
  GetClientRect(main, &minimised);
  EXPECT_EQ(minimised.right | minimised.bottom, 0);
  ShowWindow(main, SW_RESTORE);
  std::vector<std::pair<WPARAM, LPARAM>> sizes;
  for (const Recorded& size : Received(WM_SIZE)) sizes.emplace_back(size.wParam, size.lParam);
  const LPARAM whole = MAKELPARAM(client.right, client.bottom);
  EXPECT_EQ(sizes, (std::vector<std::pair<WPARAM, LPARAM>>{
                       {SIZE_RESTORED, whole}, {SIZE_MINIMIZED, 0}, {SIZE_RESTORED, whole}}));

  HWND child = CreateChild(main, 0, 0, 10, 10);
  recording::log.clear();
  EXPECT_EQ(SetFocus(child), main);
  EXPECT_EQ(Messages({WM_KILLFOCUS, WM_SETFOCUS}),
            (Sent{{main, WM_KILLFOCUS}, {child, WM_SETFOCUS}}));
  DestroyWindow(child);
  EXPECT_EQ(GetFocus(), main) << "the focus falls back to the parent";
}

TEST(TopLevelPixelsTest, AResizeKeepsWhatStillFitsAndWhitensTheRest) {
  plk::user32::TopLevelPixels pixels(0, 0);
  EXPECT_EQ(pixels.Surface().pixels, nullptr);
  auto mark = [](int x, int y) { return static_cast<std::uint32_t>(x + 1000 * y); };
  int width = 0, height = 0;
  // Every way the two sides can change, through empty and back.
  const SIZE sizes[] = {{40, 30}, {57, 30}, {57, 44}, {23, 50}, {61, 12}, {130, 20}, {70, 40},
                        {200, 9}, {9, 9},   {0, 20},  {33, 0},  {48, 17}, {48, 17}};
  for (const SIZE next : sizes) {
    plk::gdi::PixelSurface before = pixels.Surface();
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) before.pixels[y * before.stride + x] = mark(x, y);
    }
    pixels.damage.Clear();
    pixels.Resize(next.cx, next.cy);
    const plk::gdi::PixelSurface after = pixels.Surface();
    ASSERT_EQ(after.width, next.cx);
    ASSERT_EQ(after.height, next.cy);
    int wrong = 0;
    for (int y = 0; y < next.cy; ++y) {
      for (int x = 0; x < next.cx; ++x) {
        const std::uint32_t expected = x < width && y < height ? mark(x, y) : 0x00FFFFFFu;
        wrong += after.pixels[y * after.stride + x] != expected;
      }
    }
    EXPECT_EQ(wrong, 0) << width << "x" << height << " to " << next.cx << "x" << next.cy;
    const bool changed = next.cx != width || next.cy != height;
    EXPECT_EQ(pixels.damage.Empty(), !changed || next.cx * next.cy == 0);
    width = next.cx;
    height = next.cy;
  }
}

TEST(DropTest, NamesAreCutToTheBufferWithTheirTerminator) {
  const HDROP drop = plk::user32::BuildDropBlock({"/tmp/song.mid"}, POINT{0, 0});
  char name[8];
  EXPECT_EQ(DragQueryFileA(drop, 0, nullptr, 0), 13u);
  EXPECT_EQ(DragQueryFileA(drop, 0, name, sizeof name), 7u);
  EXPECT_STREQ(name, "/tmp/so");
  DragFinish(drop);
}
