// BitBlt raster operations, window origins and clipping; FillRect with stock brushes.
#include <windows.h>

#include <gtest/gtest.h>

#include "gdi32/tests/gdi_test_support.h"

namespace plk::gdi::testing {
namespace {

constexpr COLORREF kGray = RGB(128, 128, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A source with a different colour in every pixel, so misplaced pixels show.
COLORREF SourceColor(int x, int y) { return RGB(16 * x + 3, 16 * y + 5, (x * y) & 0xFF); }

void PaintSource(const MemoryCanvas& canvas) {
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) SetPixel(canvas.dc(), x, y, SourceColor(x, y));
  }
}

struct RopCase {
  const char* name;
  DWORD rop;
  COLORREF (*combine)(COLORREF dest, COLORREF source);
};

const RopCase kRops[] = {
    {"SRCCOPY", SRCCOPY, [](COLORREF, COLORREF s) { return s; }},
    {"SRCPAINT", SRCPAINT, [](COLORREF d, COLORREF s) { return d | s; }},
    {"SRCAND", SRCAND, [](COLORREF d, COLORREF s) { return d & s; }},
    {"SRCINVERT", SRCINVERT, [](COLORREF d, COLORREF s) { return d ^ s; }},
    {"BLACKNESS", BLACKNESS, [](COLORREF, COLORREF) { return kBlack; }},
    {"WHITENESS", WHITENESS, [](COLORREF, COLORREF) { return kWhite; }},
};

TEST(BitBltTest, RasterOperationsCombineOnlyInsideTheDestinationRectangle) {
  MemoryCanvas source(8, 8, kBlack);
  PaintSource(source);
  for (const RopCase& c : kRops) {
    SCOPED_TRACE(c.name);
    MemoryCanvas dest(12, 12, kGray);
    ASSERT_TRUE(BitBlt(dest.dc(), 3, 2, 6, 5, source.dc(), 1, 2, c.rop));
    EXPECT_TRUE(PixelsMatch(std::string("rop_") + c.name, 12, 12, dest.Pixels(), [&](int x, int y) {
      const bool inside = x >= 3 && x < 9 && y >= 2 && y < 7;
      return inside ? c.combine(kGray, SourceColor(x - 3 + 1, y - 2 + 2)) : kGray;
    }));
  }
}

// The mask-then-image pair used for key pictures: a mask white inside the shape and black
// outside, an image white outside the shape.
TEST(BitBltTest, MaskThenImageLeavesExactlyTheImageInsideTheShape) {
  auto inShape = [](int x, int y) {
    return y < 19 ? x <= 11 : (y < 31 ? true : x >= 1 && x <= 14);
  };
  auto image = [&](int x, int y) { return inShape(x, y) ? RGB(192, 192, 255 - x) : kWhite; };
  MemoryCanvas skin(32, 32, kBlack);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 16; ++x) {
      SetPixel(skin.dc(), x, y, image(x, y));
      SetPixel(skin.dc(), 16 + x, y, inShape(x, y) ? kWhite : kBlack);
    }
  }
  MemoryCanvas dest(40, 40, kGray);
  BitBlt(dest.dc(), 10, 4, 16, 32, skin.dc(), 16, 0, SRCPAINT);
  BitBlt(dest.dc(), 10, 4, 16, 32, skin.dc(), 0, 0, SRCAND);
  EXPECT_TRUE(PixelsMatch("mask_then_image", 40, 40, dest.Pixels(), [&](int x, int y) {
    const bool cell = x >= 10 && x < 26 && y >= 4 && y < 36;
    return cell && inShape(x - 10, y - 4) ? image(x - 10, y - 4) : kGray;
  }));
}

TEST(BitBltTest, WindowOriginsOfBothDcsShiftTheirCoordinates) {
  MemoryCanvas source(8, 8, kBlack);
  PaintSource(source);
  MemoryCanvas dest(16, 16, kGray);
  SetWindowOrgEx(dest.dc(), 0, 100, nullptr);
  SetWindowOrgEx(source.dc(), -2, 3, nullptr);
  // Logical (4, 105) is device (4, 5); logical source (0, 4) is device (2, 1).
  BitBlt(dest.dc(), 4, 105, 3, 2, source.dc(), 0, 4, SRCCOPY);
  EXPECT_TRUE(PixelsMatch("window_origins", 16, 16, dest.Pixels(), [](int x, int y) {
    const bool inside = x >= 4 && x < 7 && y >= 5 && y < 7;
    return inside ? SourceColor(x - 4 + 2, y - 5 + 1) : kGray;
  }));
}

struct ClipCase {
  const char* name;
  int x, y, width, height, sourceX, sourceY;
};

// Each case copies from an 8x8 source onto a 10x10 destination; only pixels with both a
// source pixel and a destination pixel change.
const ClipCase kClips[] = {
    {"negative_x", -4, 1, 8, 3, 0, 0},
    {"negative_y", 2, -6, 3, 8, 1, 0},
    {"past_right_and_bottom", 7, 8, 8, 8, 0, 0},
    {"source_negative", 2, 2, 6, 6, -3, -2},
    {"source_past_edge", 0, 0, 10, 10, 5, 6},
    {"huge_offsets", 2147483000, -2147483000, 100, 100, 0, 0},
};

TEST(BitBltTest, ClipsToSourceAndDestinationBounds) {
  MemoryCanvas source(8, 8, kBlack);
  PaintSource(source);
  for (const ClipCase& c : kClips) {
    SCOPED_TRACE(c.name);
    MemoryCanvas dest(10, 10, kGray);
    ASSERT_TRUE(
        BitBlt(dest.dc(), c.x, c.y, c.width, c.height, source.dc(), c.sourceX, c.sourceY, SRCCOPY));
    EXPECT_TRUE(
        PixelsMatch(std::string("clip_") + c.name, 10, 10, dest.Pixels(), [&](int x, int y) {
          const bool inDest = x >= c.x && x < c.x + c.width && y >= c.y && y < c.y + c.height;
          const int sx = x - c.x + c.sourceX;
          const int sy = y - c.y + c.sourceY;
          const bool inSource = sx >= 0 && sx < 8 && sy >= 0 && sy < 8;
          return inDest && inSource ? SourceColor(sx, sy) : kGray;
        }));
  }
}

TEST(BitBltTest, OverlappingCopyWithinOneBitmapMovesTheOriginalPixels) {
  for (POINT shift : {POINT{2, 3}, POINT{-2, -3}, POINT{3, 0}, POINT{-3, 0}}) {
    SCOPED_TRACE(::testing::Message() << shift.x << "," << shift.y);
    MemoryCanvas canvas(8, 8, kBlack);
    PaintSource(canvas);
    BitBlt(canvas.dc(), shift.x, shift.y, 8, 8, canvas.dc(), 0, 0, SRCCOPY);
    EXPECT_TRUE(PixelsMatch("overlap", 8, 8, canvas.Pixels(), [&](int x, int y) {
      const int sx = x - shift.x;
      const int sy = y - shift.y;
      return sx >= 0 && sx < 8 && sy >= 0 && sy < 8 ? SourceColor(sx, sy) : SourceColor(x, y);
    }));
  }
}

TEST(BitBltTest, RefusesUnknownOperationsAndInvalidDcs) {
  MemoryCanvas a(4, 4, kGray);
  MemoryCanvas b(4, 4, kWhite);
  EXPECT_FALSE(BitBlt(a.dc(), 0, 0, 4, 4, b.dc(), 0, 0, 0x00BB0226u));  // MERGEPAINT
  EXPECT_FALSE(BitBlt(a.dc(), 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(nullptr, 0, 0, 4, 4, b.dc(), 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(a.bitmap()), 0, 0, 4, 4, b.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(PixelsMatch("refused", 4, 4, a.Pixels(), [](int, int) { return kGray; }));
}

TEST(WindowDcDrawingTest, LandsAtTheTargetOriginInsideTheClipRectanglesOnly) {
  TestSurface surface(40, 30, 0x00123456u);
  const std::vector<RECT> clip = {{12, 22, 20, 26}, {25, 21, 40, 30}};
  HDC dc = CreateWindowDC();
  RetargetWindowDC(dc, surface.Target({10, 20}, clip));
  SetWindowOrgEx(dc, 0, 50, nullptr);
  const RECT band = {0, 50, 480, 66};  // device rows 0..15, surface rows 20..35
  FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_TRUE(surface.changed);
  EXPECT_TRUE(PixelsMatch("window_clip", 40, 30, SurfacePixels(surface), [&](int x, int y) {
    for (const RECT& r : clip) {
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return kBlack;
    }
    return RGB(0x12, 0x34, 0x56);
  }));
  DestroyWindowDC(dc);
}

TEST(WindowDcDrawingTest, DrawingOutsideTheClipChangesNothingAndLeavesTheFlagClear) {
  TestSurface surface(20, 20, 0);
  HDC dc = CreateWindowDC();
  RetargetWindowDC(dc, surface.Target({0, 0}, {{0, 0, 5, 5}}));
  const RECT away = {6, 6, 20, 20};
  FillRect(dc, &away, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_FALSE(surface.changed);
  EXPECT_EQ(surface.At(10, 10), 0u);
  // Without a target a window DC draws nowhere.
  RetargetWindowDC(dc, WindowTarget{});
  EXPECT_EQ(FillRect(dc, &away, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 1);
  DestroyWindowDC(dc);
}

TEST(WindowDcDrawingTest, BlitsFromAMemoryDcThroughTheOriginAndClip) {
  MemoryCanvas source(8, 8, kBlack);
  PaintSource(source);
  TestSurface surface(20, 20, 0x808080u);
  HDC dc = CreateWindowDC();
  RetargetWindowDC(dc, surface.Target({5, 5}, {{0, 0, 20, 9}}));
  SetWindowOrgEx(dc, 0, 10, nullptr);
  BitBlt(dc, -2, 10, 8, 8, source.dc(), 0, 0, SRCCOPY);  // device (-2, 0): surface (3, 5)
  EXPECT_TRUE(PixelsMatch("window_blit", 20, 20, SurfacePixels(surface), [](int x, int y) {
    const bool inside = x >= 3 && x < 11 && y >= 5 && y < 9;
    return inside ? SourceColor(x - 3, y - 5) : kGray;
  }));
  DestroyWindowDC(dc);
}

struct BrushCase {
  int stock;
  COLORREF color;
};

TEST(FillRectTest, StockBrushesFillRightAndBottomExclusiveInLogicalCoordinates) {
  const BrushCase cases[] = {{WHITE_BRUSH, kWhite},
                             {LTGRAY_BRUSH, RGB(192, 192, 192)},
                             {GRAY_BRUSH, RGB(128, 128, 128)},
                             {DKGRAY_BRUSH, RGB(64, 64, 64)},
                             {BLACK_BRUSH, kBlack}};
  for (const BrushCase& c : cases) {
    SCOPED_TRACE(c.stock);
    MemoryCanvas canvas(10, 10, RGB(1, 2, 3));
    SetWindowOrgEx(canvas.dc(), -1, 20, nullptr);
    const RECT rect = {1, 22, 4, 27};  // device x 2..4, y 2..6
    EXPECT_NE(FillRect(canvas.dc(), &rect, static_cast<HBRUSH>(GetStockObject(c.stock))), 0);
    SetWindowOrgEx(canvas.dc(), 0, 0, nullptr);
    EXPECT_TRUE(PixelsMatch("fill", 10, 10, canvas.Pixels(), [&](int x, int y) {
      return x >= 2 && x < 5 && y >= 2 && y < 7 ? c.color : RGB(1, 2, 3);
    }));
  }
}

TEST(FillRectTest, HollowBrushAndEmptyRectanglesDrawNothing) {
  MemoryCanvas canvas(6, 6, kGray);
  const RECT all = {0, 0, 6, 6};
  const RECT inverted = {5, 5, 1, 1};
  EXPECT_NE(FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 0);
  EXPECT_NE(FillRect(canvas.dc(), &inverted, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(FillRect(canvas.dc(), &all, nullptr), 0);
  EXPECT_TRUE(PixelsMatch("hollow", 6, 6, canvas.Pixels(), [](int, int) { return kGray; }));
}

}  // namespace
}  // namespace plk::gdi::testing
