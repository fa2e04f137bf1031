// Scroll bar clamping and geometry, the non-client bar narrowing the client area, its
// mouse, and the wheel.
#include "window_fixture.h"

#include "user32/scroll_bar.h"

#include <tuple>

TEST_F(User32Test, ScrollPositionsAndPagesAreClampedLikeWindows) {
  HWND window = CreateMain(false);
  SetScrollRange(window, SB_VERT, 0, 767, FALSE);
  const std::tuple<UINT, int, int> cases[] = {
      // page, position asked, position set
      {400, 1000, 368}, {400, 360 + 16, 368}, {400, -5, 0},  {400, 200, 200}, {740, 48, 28},
      {768, 10, 0},     {800, 10, 0},         {0, 767, 767}, {1, 767, 767},   {2, 767, 766},
  };
  SCROLLINFO info{sizeof info, SIF_PAGE, 0, 0, 0, 0, 0};
  for (const auto& [page, asked, set] : cases) {
    info.nPage = page;
    SetScrollInfo(window, SB_VERT, &info, FALSE);
    SetScrollPos(window, SB_VERT, asked, TRUE);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), set) << page << ", " << asked;
  }
  info.nPage = 400;
  EXPECT_EQ(SetScrollInfo(window, SB_VERT, &info, FALSE), 368) << "a smaller page clamps it";
}

TEST(ScrollBarGeometryTest, HitTestingFindsArrowsTrackAndThumb) {
  using namespace plk::user32;
  using enum ScrollPart;
  ScrollBar bar;
  bar.SetRange(0, 767);
  bar.SetPage(400);
  const auto layout = LayOutScrollBar(bar, 400);
  EXPECT_EQ(layout.arrow, 17);
  EXPECT_EQ(layout.thumbLength, (400 - 34) * 400 / 768);
  for (const auto& [y, part] :
       {std::pair{3, LineUp}, {20, Thumb}, {300, PageDown}, {395, LineDown}})
    EXPECT_EQ(HitTestScrollBar(bar, 400, y), part) << y;
  // Dragging the thumb to the end of the track reaches the largest position.
  EXPECT_EQ(PositionForThumbTop(bar, 400, 400), 368);
  EXPECT_EQ(PositionForThumbTop(bar, 400, 0), 0);
  bar.position = 368;
  EXPECT_EQ(HitTestScrollBar(bar, 400, 30), PageUp);
}

TEST_F(User32Test, ShowScrollBarNarrowsTheClientAreaAndDrawsTheBarBesideIt) {
  HWND window = CreateMain(true, 0);
  RECT client;
  GetClientRect(window, &client);
  const int wide = client.right;
  recording::log.clear();
  ShowScrollBar(window, SB_VERT, TRUE);
  ShowScrollBar(window, SB_VERT, TRUE);
  ASSERT_EQ(Received(WM_SIZE).size(), 1u) << "no change, no message";
  EXPECT_EQ(LOWORD(Received(WM_SIZE)[0].lParam), wide - 17);
  t::RunUntilIdle();
  const plk::gdi::PixelSurface pixels = t::WindowPixels(window);
  ASSERT_EQ(pixels.width, wide);
  EXPECT_EQ(pixels.pixels[wide - 17 + 1], 0xF0F0F0u) << "the up arrow's face";
  EXPECT_EQ(t::PixelAt(window, wide - 18, 0), 0xFF0000u) << "the client area painted";
}

TEST_F(User32Test, ClicksOnTheBarSendScrollRequestsAndTheWheelReachesTheParent) {
  HWND window = CreateMain(true, WS_VSCROLL, 400 + 39);     // client height 400
  t::InjectWheel(CreateChild(window, 0, 0, 10, 10), -240);  // a child passes it on
  SetScrollRange(window, SB_VERT, 0, 767, FALSE);
  SCROLLINFO info{sizeof info, SIF_PAGE, 0, 0, 400, 0, 0};
  SetScrollInfo(window, SB_VERT, &info, FALSE);
  using enum t::ScrollBarMouse;
  const std::pair<int, t::ScrollBarMouse> presses[] = {
      {390, Press}, {390, Release}, {300, Press},   {300, Release},
      {20, Press},  {400, Drag},    {400, Release},  // the thumb to the end
  };
  for (const auto& [y, action] : presses) t::InjectScrollBarMouse(window, y, action);
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
  const auto wheels = Received(WM_MOUSEWHEEL);
  ASSERT_EQ(wheels.size(), 2u);
  EXPECT_EQ(wheels[1].window, window);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[1].wParam), -240);
}
