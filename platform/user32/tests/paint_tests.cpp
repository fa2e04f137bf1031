// Update regions, BeginPaint clipping, DCs and ScrollWindowEx, checked on the pixels.
#include "window_fixture.h"

#include "user32/region.h"
#include "user32/testing/user32_testing.h"

namespace t = plk::user32::testing;
using plk::user32::Region;

namespace {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlue = 0x0000FF;

// A shown window whose client area has been painted once in `colour`.
HWND PaintedWindow(COLORREF colour) {
  HWND window = CreateWindowExA(0, kRecordingClass, "Test", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 300, 200, nullptr, nullptr, nullptr, nullptr);
  recording::paintColour = colour;
  ShowWindow(window, SW_SHOW);
  t::RunUntilIdle();
  return window;
}

// Paints each row of the client area in its own colour through a window DC.
void PaintRows(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  for (int y = 0; y < client.bottom; ++y) {
    const RECT row = {0, y, client.right, y + 1};
    HBRUSH brush = CreateSolidBrush(RGB(0, y & 0xFF, 0));
    FillRect(dc, &row, brush);
    DeleteObject(brush);
  }
  ReleaseDC(window, dc);
}

std::uint32_t RowColour(int y) { return static_cast<std::uint32_t>(y & 0xFF) << 8; }

}  // namespace

TEST(RegionTest, UnionSubtractionAndBoundsStayDisjoint) {
  Region region({0, 0, 10, 10});
  region.Add({5, 5, 15, 15});
  int area = 0;
  for (const RECT& rect : region.Rects()) {
    area += (rect.right - rect.left) * (rect.bottom - rect.top);
  }
  EXPECT_EQ(area, 100 + 100 - 25);
  region.Subtract({0, 0, 15, 5});
  EXPECT_TRUE(plk::user32::RectsEqual(region.Bounds(), {0, 5, 15, 15}));
  region.Offset(0, -5);
  region.Intersect({0, 0, 15, 3});
  EXPECT_TRUE(plk::user32::RectsEqual(region.Bounds(), {0, 0, 15, 3}));
}

TEST_F(User32Test, ShowingPaintsTheWholeClientArea) {
  HWND window = PaintedWindow(RGB(255, 0, 0));
  RECT client;
  GetClientRect(window, &client);
  EXPECT_TRUE(plk::user32::RectsEqual(recording::lastPaint, client));
  EXPECT_EQ(t::PixelAt(window, 0, 0), kRed);
  EXPECT_EQ(t::PixelAt(window, client.right - 1, client.bottom - 1), kRed);
}

TEST_F(User32Test, BeginPaintClipsToTheUpdateRegion) {
  HWND window = PaintedWindow(RGB(255, 0, 0));
  recording::paintColour = RGB(0, 0, 255);
  const RECT first = {10, 10, 20, 20};
  const RECT second = {50, 50, 60, 60};
  InvalidateRect(window, &first, FALSE);
  InvalidateRect(window, &second, FALSE);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
  EXPECT_TRUE(plk::user32::RectsEqual(update, {10, 10, 60, 60}));
  t::RunUntilIdle();
  EXPECT_TRUE(plk::user32::RectsEqual(recording::lastPaint, {10, 10, 60, 60}));
  EXPECT_EQ(t::PixelAt(window, 10, 10), kBlue);
  EXPECT_EQ(t::PixelAt(window, 59, 59), kBlue);
  EXPECT_EQ(t::PixelAt(window, 30, 30), kRed) << "inside the bounds but outside the region";
  EXPECT_EQ(t::PixelAt(window, 20, 10), kRed);
  EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
}

TEST_F(User32Test, InvalidatingAParentRepaintsTheChildrenItCovers) {
  HWND window = PaintedWindow(RGB(255, 0, 0));
  HWND child = CreateChild(window, 100, 100, 20, 20);
  t::RunUntilIdle();
  recording::log.clear();
  const RECT over = {110, 110, 130, 130};
  RedrawWindow(window, &over, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const auto paints = Received(WM_PAINT);
  ASSERT_EQ(paints.size(), 2u);
  EXPECT_EQ(paints[0].window, window) << "the parent paints before its child";
  EXPECT_EQ(paints[1].window, child);
  EXPECT_TRUE(plk::user32::RectsEqual(recording::lastPaint, {10, 10, 20, 20}));
}

TEST_F(User32Test, ChildPixelsLieInsideTheParentAtTheChildPosition) {
  HWND window = PaintedWindow(RGB(255, 0, 0));
  recording::paintColour = RGB(0, 0, 255);
  HWND child = CreateChild(window, 40, 30, 10, 5);
  t::RunUntilIdle();
  EXPECT_EQ(t::PixelAt(child, 0, 0), kBlue);
  EXPECT_EQ(t::PixelAt(window, 40, 30), kBlue);
  EXPECT_EQ(t::PixelAt(window, 49, 34), kBlue);
  EXPECT_EQ(t::PixelAt(window, 50, 34), kRed);
  EXPECT_EQ(t::PixelAt(window, 39, 30), kRed);
}

TEST_F(User32Test, TheClassDCKeepsItsAttributesAcrossUsesAndWindows) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "ClassDCWindow";
  static const ATOM atom = RegisterClassExA(&windowClass);
  ASSERT_NE(atom, 0);
  HWND first = CreateWindowExA(0, "ClassDCWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  HWND second = CreateWindowExA(0, "ClassDCWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                nullptr, nullptr, nullptr, nullptr);
  ShowWindow(first, SW_SHOW);
  ShowWindow(second, SW_SHOW);
  HDC dc = GetDC(first);
  SetWindowOrgEx(dc, 0, 48, nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  ReleaseDC(first, dc);

  HDC again = GetDC(second);
  EXPECT_EQ(again, dc);
  POINT origin;
  GetWindowOrgEx(again, &origin);
  EXPECT_EQ(origin.y, 48);
  EXPECT_EQ(GetTextColor(again), RGB(1, 2, 3));
  ReleaseDC(second, again);
  PAINTSTRUCT paint;
  EXPECT_EQ(BeginPaint(first, &paint), dc);
  EndPaint(first, &paint);
}

TEST_F(User32Test, ScrollWindowExMovesPixelsAndChildrenAndInvalidatesTheBand) {
  HWND window = PaintedWindow(RGB(255, 0, 0));
  HWND child = CreateChild(window, 10, 100, 24, 12);
  t::RunUntilIdle();
  PaintRows(window);
  RECT client;
  GetClientRect(window, &client);
  RECT childBefore;
  GetWindowRect(child, &childBefore);

  RECT band;
  ScrollWindowEx(window, 0, -16, nullptr, nullptr, nullptr, &band,
                 SW_SCROLLCHILDREN | SW_INVALIDATE);
  EXPECT_EQ(t::PixelAt(window, 200, 0), RowColour(16));
  EXPECT_EQ(t::PixelAt(window, 200, client.bottom - 17), RowColour(client.bottom - 1));
  EXPECT_TRUE(plk::user32::RectsEqual(band, {0, client.bottom - 16, client.right, client.bottom}));
  RECT update;
  ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
  EXPECT_TRUE(plk::user32::RectsEqual(update, band));
  RECT childAfter;
  GetWindowRect(child, &childAfter);
  EXPECT_EQ(childAfter.top, childBefore.top - 16);

  // Scrolling the other way uncovers the top band instead.
  ValidateRect(window, nullptr);
  ScrollWindowEx(window, 0, 8, nullptr, nullptr, nullptr, &band, SW_INVALIDATE);
  EXPECT_EQ(t::PixelAt(window, 200, 8), RowColour(16));
  EXPECT_TRUE(plk::user32::RectsEqual(band, {0, 0, client.right, 8}));
}

TEST_F(User32Test, APendingUpdateRegionScrollsWithThePixels) {
  HWND window = PaintedWindow(RGB(255, 0, 0));
  const RECT pending = {0, 40, 50, 50};
  InvalidateRect(window, &pending, FALSE);
  ScrollWindowEx(window, 0, -16, nullptr, nullptr, nullptr, nullptr, 0);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
  EXPECT_TRUE(plk::user32::RectsEqual(update, {0, 24, 50, 34}));
}

TEST_F(User32Test, HiddenWindowsDrawNothing) {
  HWND window = PaintedWindow(RGB(255, 0, 0));
  HWND hidden = CreateWindowExA(0, kRecordingClass, "", WS_CHILD, 0, 0, 20, 20, window, nullptr,
                                nullptr, nullptr);
  HDC dc = GetDC(hidden);
  const RECT all = {0, 0, 20, 20};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(hidden, dc);
  EXPECT_EQ(t::PixelAt(window, 5, 5), kRed);
}
