// Scroll bar clamping, the non-client bar narrowing the client area, and its mouse.
#include "window_fixture.h"

#include "user32/scroll_bar.h"
#include "user32/testing/user32_testing.h"

namespace t = plk::user32::testing;

namespace {

int ClientWidth(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return client.right;
}

}  // namespace

TEST_F(User32Test, ScrollPositionsAreClampedLikeWindows) {
  HWND window = CreateMain();
  SetScrollRange(window, SB_VERT, 0, 767, FALSE);
  struct Case {
    UINT page;
    int requested;
    int expected;
  };
  const Case cases[] = {
      {400, 1000, 368}, {400, 360 + 16, 368}, {400, -5, 0},  {400, 200, 200}, {740, 48, 28},
      {768, 10, 0},     {800, 10, 0},         {0, 767, 767}, {1, 767, 767},   {2, 767, 766},
  };
  for (const Case& c : cases) {
    SCROLLINFO info{sizeof info, SIF_PAGE, 0, 0, c.page, 0, 0};
    SetScrollInfo(window, SB_VERT, &info, FALSE);
    SetScrollPos(window, SB_VERT, c.requested, TRUE);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), c.expected)
        << "page " << c.page << ", position " << c.requested;
  }
}

TEST_F(User32Test, ShrinkingThePageClampsTheStoredPositionAndPagesAreClampedToTheRange) {
  HWND window = CreateMain();
  SetScrollRange(window, SB_VERT, 0, 767, FALSE);
  SetScrollPos(window, SB_VERT, 500, FALSE);
  SCROLLINFO info{sizeof info, SIF_PAGE, 0, 0, 400, 0, 0};
  EXPECT_EQ(SetScrollInfo(window, SB_VERT, &info, FALSE), 368);
  info = {sizeof info, SIF_PAGE, 0, 0, 5000, 0, 0};
  SetScrollInfo(window, SB_VERT, &info, FALSE);
  SCROLLINFO read{sizeof read, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(window, SB_VERT, &read));
  EXPECT_EQ(read.nPage, 768u);
  EXPECT_EQ(read.nPos, 0);
  EXPECT_EQ(read.nMax, 767);
}

TEST_F(User32Test, ShowScrollBarNarrowsTheClientAreaAndSendsSize) {
  HWND window = CreateMain(0);
  const int wide = ClientWidth(window);
  recording::log.clear();
  ShowScrollBar(window, SB_VERT, TRUE);
  EXPECT_EQ(ClientWidth(window), wide - GetSystemMetrics(SM_CXVSCROLL));
  auto sizes = Received(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(LOWORD(sizes[0].lParam), wide - 17);
  ShowScrollBar(window, SB_VERT, TRUE);
  EXPECT_EQ(Received(WM_SIZE).size(), 1u) << "no change, no message";
  ShowScrollBar(window, SB_VERT, FALSE);
  EXPECT_EQ(ClientWidth(window), wide);
  EXPECT_EQ(Received(WM_SIZE).size(), 2u);
  EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(User32Test, TheBarIsDrawnToTheRightOfTheClientArea) {
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);
  t::RunUntilIdle();
  const plk::gdi::PixelSurface pixels = t::WindowPixels(window);
  const int width = ClientWidth(window);
  ASSERT_EQ(pixels.width, width + 17);
  EXPECT_EQ(pixels.pixels[width + 1], 0xF0F0F0u) << "the up arrow's face";
  EXPECT_EQ(t::PixelAt(window, width - 1, 0), 0xFF0000u) << "the client area painted";
}

TEST(ScrollBarGeometryTest, HitTestingFindsArrowsTrackAndThumb) {
  plk::user32::ScrollBar bar;
  bar.SetRange(0, 767);
  bar.SetPage(400);
  bar.position = 0;
  using plk::user32::ScrollPart;
  const int height = 400;
  const auto layout = plk::user32::LayOutScrollBar(bar, height);
  EXPECT_EQ(layout.arrow, 17);
  EXPECT_EQ(layout.thumbTop, 17);
  EXPECT_EQ(layout.thumbLength, (400 - 34) * 400 / 768);
  EXPECT_EQ(plk::user32::HitTestScrollBar(bar, height, 3), ScrollPart::LineUp);
  EXPECT_EQ(plk::user32::HitTestScrollBar(bar, height, 20), ScrollPart::Thumb);
  EXPECT_EQ(plk::user32::HitTestScrollBar(bar, height, 300), ScrollPart::PageDown);
  EXPECT_EQ(plk::user32::HitTestScrollBar(bar, height, 395), ScrollPart::LineDown);
  // Dragging the thumb to the end of the track reaches the largest position.
  EXPECT_EQ(plk::user32::PositionForThumbTop(bar, height, 400), 368);
  EXPECT_EQ(plk::user32::PositionForThumbTop(bar, height, 0), 0);
  bar.position = 368;
  EXPECT_EQ(plk::user32::HitTestScrollBar(bar, height, 30), ScrollPart::PageUp);
}

TEST_F(User32Test, ClicksOnTheBarSendScrollRequests) {
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);
  // Client height 400 as in a shrunken main window.
  RECT outer;
  GetWindowRect(window, &outer);
  RECT client;
  GetClientRect(window, &client);
  MoveWindow(window, outer.left, outer.top, outer.right - outer.left,
             outer.bottom - outer.top - (client.bottom - 400), FALSE);
  SetScrollRange(window, SB_VERT, 0, 767, FALSE);
  SCROLLINFO info{sizeof info, SIF_PAGE, 0, 0, 400, 0, 0};
  SetScrollInfo(window, SB_VERT, &info, FALSE);
  recording::log.clear();

  t::InjectScrollBarMouse(window, 390, t::ScrollBarMouse::Press);
  t::InjectScrollBarMouse(window, 390, t::ScrollBarMouse::Release);
  t::InjectScrollBarMouse(window, 300, t::ScrollBarMouse::Press);
  t::InjectScrollBarMouse(window, 300, t::ScrollBarMouse::Release);
  t::InjectScrollBarMouse(window, 20, t::ScrollBarMouse::Press);  // on the thumb
  t::InjectScrollBarMouse(window, 400, t::ScrollBarMouse::Drag);
  t::InjectScrollBarMouse(window, 400, t::ScrollBarMouse::Release);
  t::RunUntilIdle();

  std::vector<std::pair<int, int>> requests;
  for (const Recorded& scroll : Received(WM_VSCROLL)) {
    requests.emplace_back(LOWORD(scroll.wParam), HIWORD(scroll.wParam));
  }
  const std::vector<std::pair<int, int>> expected = {
      {SB_LINEDOWN, 0},     {SB_ENDSCROLL, 0},       {SB_PAGEDOWN, 0},  {SB_ENDSCROLL, 0},
      {SB_THUMBTRACK, 368}, {SB_THUMBPOSITION, 368}, {SB_ENDSCROLL, 0},
  };
  EXPECT_EQ(requests, expected);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 0) << "the program moves the position itself";
}

TEST_F(User32Test, TheWheelTravelsSignedAndAChildPassesItToItsParent) {
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);
  t::InjectWheel(CreateChild(window, 0, 0, 10, 10), -240);
  t::RunUntilIdle();
  const auto wheels = Received(WM_MOUSEWHEEL);
  ASSERT_EQ(wheels.size(), 2u);
  EXPECT_EQ(wheels[1].window, window);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[1].wParam), -240);
}
