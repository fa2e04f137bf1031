// BitBlt raster operations, window origins and clipping; drawing on window DCs; FillRect.
#include <windows.h>

#include <gtest/gtest.h>

#include "gdi32/tests/gdi_test_support.h"

namespace plk::gdi::testing {
namespace {

constexpr COLORREF kGray = RGB(128, 128, 128);

// A source with a different colour in every pixel, so misplaced pixels show.
COLORREF SourceColor(int x, int y) { return RGB(16 * x + 3, 16 * y + 5, (x * y) & 0xFF); }

struct Source : MemoryCanvas {
  Source() : MemoryCanvas(8, 8, 0) {
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) SetPixel(dc(), x, y, SourceColor(x, y));
    }
  }
};

TEST(BitBltTest, RasterOperationsCombineOnlyInsideTheDestinationRectangle) {
  const struct {
    DWORD rop;
    COLORREF (*combine)(COLORREF dest, COLORREF source);
  } cases[] = {
      {SRCCOPY, [](COLORREF, COLORREF s) { return s; }},
      {SRCPAINT, [](COLORREF d, COLORREF s) { return d | s; }},
      {SRCAND, [](COLORREF d, COLORREF s) { return d & s; }},
  };
  Source source;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rop);
    MemoryCanvas dest(12, 12, kGray);
    ASSERT_TRUE(BitBlt(dest.dc(), 3, 2, 6, 5, source.dc(), 1, 2, c.rop));
    EXPECT_TRUE(PixelsMatch(12, dest.Pixels(), [&](int x, int y) {
      const bool inside = x >= 3 && x < 9 && y >= 2 && y < 7;
      return inside ? c.combine(kGray, SourceColor(x - 3 + 1, y - 2 + 2)) : kGray;
    }));
  }
}

TEST(BitBltTest, WindowOriginsOfBothDcsShiftTheirCoordinates) {
  Source source;
  MemoryCanvas dest(16, 16, kGray);
  SetWindowOrgEx(dest.dc(), 0, 100, nullptr);
  SetWindowOrgEx(source.dc(), -2, 3, nullptr);
  // Logical (4, 105) is device (4, 5); logical source (0, 4) is device (2, 1).
  BitBlt(dest.dc(), 4, 105, 3, 2, source.dc(), 0, 4, SRCCOPY);
  EXPECT_TRUE(PixelsMatch(16, dest.Pixels(), [](int x, int y) {
    return x >= 4 && x < 7 && y >= 5 && y < 7 ? SourceColor(x - 4 + 2, y - 5 + 1) : kGray;
  }));
}

// Each case copies from the 8x8 source onto a 10x10 destination; only pixels with both a
// source pixel and a destination pixel change.
TEST(BitBltTest, ClipsToSourceAndDestinationBounds) {
  const struct {
    int x, y, width, height, sourceX, sourceY;
  } cases[] = {
      {-4, 1, 8, 3, 0, 0},  {2, -6, 3, 8, 1, 0},  {7, 8, 8, 8, 0, 0},
      {2, 2, 6, 6, -3, -2}, {0, 0, 10, 10, 5, 6}, {2147483000, -2147483000, 100, 100, 0, 0},
  };
  Source source;
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    MemoryCanvas dest(10, 10, kGray);
    ASSERT_TRUE(
        BitBlt(dest.dc(), c.x, c.y, c.width, c.height, source.dc(), c.sourceX, c.sourceY, SRCCOPY));
    EXPECT_TRUE(PixelsMatch(10, dest.Pixels(), [&](int x, int y) {
      const bool inDest = x >= c.x && x < c.x + c.width && y >= c.y && y < c.y + c.height;
      const int sx = x - c.x + c.sourceX;
      const int sy = y - c.y + c.sourceY;
      return inDest && sx >= 0 && sx < 8 && sy >= 0 && sy < 8 ? SourceColor(sx, sy) : kGray;
    }));
  }
}

// A window DC draws at its target's origin, through the DC's window origin, inside the
// clip rectangles only, and reports as damaged exactly the parts it drew in.
TEST(WindowDcTest, DrawsAtTheTargetOriginInsideTheClipOnly) {
  Source source;
  TestSurface surface(40, 30, 0x123456u);
  const std::vector<RECT> clip = {{12, 22, 20, 26}, {25, 21, 40, 30}};
  HDC dc = CreateWindowDC();
  RetargetWindowDC(dc, surface.Target({10, 20}, clip));
  SetWindowOrgEx(dc, 0, 50, nullptr);
  const RECT outside = {20, 50, 24, 51};  // surface (30, 20): above both clip rectangles
  FillRect(dc, &outside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  BitBlt(dc, 20, 50, 4, 1, source.dc(), 0, 0, SRCCOPY);
  BitBlt(dc, 10, 52, 5, 4, source.dc(), 0, 0, SRCCOPY);  // between the clip rectangles
  EXPECT_TRUE(surface.damage.Empty());
  const RECT band = {0, 50, 14, 66};  // device rows 0..15, surface (10..23, 20..35)
  FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  BitBlt(dc, 15, 51, 8, 8, source.dc(), 0, 0, SRCCOPY);  // surface (25..32, 21..28)
  const auto damaged = surface.damage.Areas();
  ASSERT_EQ(damaged.size(), 2u);
  EXPECT_EQ(Corners(damaged[0]), Corners(clip[0]));
  EXPECT_EQ(Corners(damaged[1]), Corners({25, 21, 33, 29}));
  EXPECT_TRUE(PixelsMatch(40, surface.Pixels(), [&](int x, int y) {
    const auto in = [x, y](const RECT& r) {
      return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    };
    if (in(clip[0])) return RGB(0, 0, 0);
    if (in(clip[1]) && x < 33 && y < 29) return SourceColor(x - 25, y - 21);
    return RGB(0x12, 0x34, 0x56);
  }));
  RetargetWindowDC(dc, WindowTarget{});  // without a target a window DC draws nowhere
  EXPECT_EQ(FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 1);
  DestroyWindowDC(dc);
}

TEST(FillRectTest, StockBrushesFillRightAndBottomExclusiveInLogicalCoordinates) {
  const std::pair<int, COLORREF> brushes[] = {
      {WHITE_BRUSH, RGB(255, 255, 255)}, {LTGRAY_BRUSH, RGB(192, 192, 192)},
      {GRAY_BRUSH, RGB(128, 128, 128)},  {DKGRAY_BRUSH, RGB(64, 64, 64)},
      {BLACK_BRUSH, RGB(0, 0, 0)},       {NULL_BRUSH, RGB(1, 2, 3)}};
  for (const auto& [stock, color] : brushes) {
    SCOPED_TRACE(stock);
    MemoryCanvas canvas(10, 10, RGB(1, 2, 3));
    SetWindowOrgEx(canvas.dc(), -1, 20, nullptr);
    const RECT rect = {1, 22, 4, 27};  // device x 2..4, y 2..6
    EXPECT_NE(FillRect(canvas.dc(), &rect, static_cast<HBRUSH>(GetStockObject(stock))), 0);
    SetWindowOrgEx(canvas.dc(), 0, 0, nullptr);
    EXPECT_TRUE(PixelsMatch(10, canvas.Pixels(), [&, color = color](int x, int y) {
      return x >= 2 && x < 5 && y >= 2 && y < 7 ? color : RGB(1, 2, 3);
    }));
  }
}

}  // namespace
}  // namespace plk::gdi::testing
