// Update regions, BeginPaint clipping, DCs and ScrollWindowEx, checked on the pixels.
#include "window_fixture.h"

#include "user32/region.h"

#include <thread>

TEST(RegionTest, UnionSubtractionAndBoundsStayDisjoint) {
  plk::user32::Region region({0, 0, 10, 10});
  region.Add({5, 5, 15, 15});
  int area = 0;
  for (const RECT& rect : region.Rects())
    area += (rect.right - rect.left) * (rect.bottom - rect.top);
  EXPECT_EQ(area, 100 + 100 - 25);
  region.Subtract({0, 0, 15, 5});
  EXPECT_TRUE(SameRect(region.Bounds(), {0, 5, 15, 15}));
  region.Offset(0, -5);
  region.Intersect({0, 0, 15, 3});
  EXPECT_TRUE(SameRect(region.Bounds(), {0, 0, 15, 3}));
}

TEST_F(User32Test, BeginPaintClipsToTheUpdateRegion) {
  HWND window = CreateMain(true, 0);
  RECT client, update;
  GetClientRect(window, &client);
  EXPECT_TRUE(SameRect(recording::lastPaint, client)) << "showing paints it all";
  recording::paintColour = RGB(0, 0, 255);
  const RECT first = {10, 10, 20, 20}, second = {50, 50, 60, 60};
  InvalidateRect(window, &first, FALSE);
  InvalidateRect(window, &second, FALSE);
  ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
  EXPECT_TRUE(SameRect(update, {10, 10, 60, 60}));
  t::RunUntilIdle();
  EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
  EXPECT_TRUE(SameRect(recording::lastPaint, {10, 10, 60, 60}));
  EXPECT_EQ(t::PixelAt(window, 10, 10), 0x0000FFu);
  EXPECT_EQ(t::PixelAt(window, 59, 59), 0x0000FFu);
  EXPECT_EQ(t::PixelAt(window, 30, 30), 0xFF0000u) << "inside the bounds but outside the region";
  EXPECT_EQ(t::PixelAt(window, 20, 10), 0xFF0000u);
}

// The queue looks at the windows only after a region was added, and goes on looking while
// any is left.
TEST_F(User32Test, WmPaintStaysDueUntilValidatedAndComesForARegionAddedOnAnotherThread) {
  HWND window = CreateMain(true, 0);
  t::RunUntilIdle();
  MSG message;
  const auto paintDue = [&] {
    return PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE) &&
           message.hwnd == window;
  };
  EXPECT_FALSE(paintDue());
  const RECT area = {10, 10, 20, 20};
  std::thread([&] { InvalidateRect(window, &area, FALSE); }).join();
  EXPECT_TRUE(paintDue());
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(paintDue()) << "a look, filtered out or not, leaves it due";
  ShowWindow(window, SW_HIDE);
  EXPECT_FALSE(paintDue());
  ShowWindow(window, SW_SHOWNA);
  EXPECT_TRUE(paintDue()) << "the region waited while the window was hidden";
  ValidateRect(window, nullptr);
  EXPECT_FALSE(paintDue());
}

TEST_F(User32Test, ChildrenPaintAfterTheParentInsideItAndHiddenOnesNotAtAll) {
  HWND window = CreateMain(true, 0);
  recording::paintColour = RGB(0, 0, 255);
  HWND child = CreateChild(window, 100, 100, 20, 10);
  t::RunUntilIdle();
  EXPECT_EQ(t::PixelAt(window, 119, 109), 0x0000FFu);
  EXPECT_EQ(t::PixelAt(window, 120, 109), 0xFF0000u);
  EXPECT_EQ(t::PixelAt(window, 99, 100), 0xFF0000u);
  HDC dc = GetDC(CreateChild(window, 0, 0, 20, 20, 0));
  const RECT all = {0, 0, 20, 20};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(t::PixelAt(window, 5, 5), 0xFF0000u) << "a hidden window draws nothing";

  recording::log.clear();
  const RECT over = {110, 105, 130, 130};
  RedrawWindow(window, &over, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(Messages({WM_PAINT}), (Sent{{window, WM_PAINT}, {child, WM_PAINT}}));
  EXPECT_TRUE(SameRect(recording::lastPaint, {10, 5, 20, 10}));
}

TEST_F(User32Test, ScrollWindowExMovesPixelsChildrenAndPendingUpdatesAndInvalidatesTheBand) {
  HWND window = CreateMain(true, 0);
  HWND child = CreateChild(window, 10, 100, 24, 12);
  t::RunUntilIdle();
  const plk::gdi::PixelSurface pixels = t::ClientPixels(window);
  for (int y = 0; y < pixels.height; ++y) pixels.pixels[y * pixels.stride + 200] = y;
  const RECT pending = {0, 40, 50, 50};
  InvalidateRect(window, &pending, FALSE);
  RECT band, update, childRect;
  ScrollWindowEx(window, 0, -16, nullptr, nullptr, nullptr, &band,
                 SW_SCROLLCHILDREN | SW_INVALIDATE);
  EXPECT_EQ(t::PixelAt(window, 200, 0), 16u);
  EXPECT_EQ(t::PixelAt(window, 200, pixels.height - 17), pixels.height - 1u);
  EXPECT_TRUE(SameRect(band, {0, pixels.height - 16, pixels.width, pixels.height}));
  ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
  EXPECT_TRUE(SameRect(update, {0, 24, pixels.width, pixels.height})) << "the pending part moved";
  GetWindowRect(child, &childRect);
  ScreenToClient(window, reinterpret_cast<POINT*>(&childRect));
  EXPECT_EQ(childRect.top, 100 - 16);

  // Scrolling the other way uncovers the top band instead.
  ValidateRect(window, nullptr);
  ScrollWindowEx(window, 0, 8, nullptr, nullptr, nullptr, &band, SW_INVALIDATE);
  EXPECT_EQ(t::PixelAt(window, 200, 8), 16u);
  EXPECT_TRUE(SameRect(band, {0, 0, pixels.width, 8}));
}
