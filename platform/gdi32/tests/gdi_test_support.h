// Pixel fixtures for the gdi32 tests: a memory DC with its own 32-bit bitmap, a window
// surface to retarget window DCs at, and a comparison that names the first wrong pixel.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "gdi32/pixel_rows.h"
#include "gdi32/window_surface.h"

namespace plk::gdi::testing {

// A memory DC holding a compatible bitmap filled with `fill` (a COLORREF).
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
    SelectObject(dc_, bitmap_);
    const RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~MemoryCanvas() {
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  HDC dc() const { return dc_; }
  // Pixels as COLORREFs, read in device coordinates (the window origin is ignored).
  std::vector<COLORREF> Pixels() const {
    POINT origin;
    GetWindowOrgEx(dc_, &origin);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) pixels.push_back(GetPixel(dc_, x + origin.x, y + origin.y));
    }
    return pixels;
  }

 private:
  int width_;
  int height_;
  HDC dc_ = CreateCompatibleDC(nullptr);
  HBITMAP bitmap_ = CreateCompatibleBitmap(ScreenDC(), width_, height_);
};

// A window's pixels, 0x00RRGGBB, top-down.
struct TestSurface {
  TestSurface(int width, int height, std::uint32_t fill)
      : width(width), pixels(static_cast<std::size_t>(width) * height, fill) {}
  WindowTarget Target(POINT origin, std::vector<RECT> clip) {
    const int height = static_cast<int>(pixels.size()) / width;
    return {{pixels.data(), width, height, width}, origin, std::move(clip), &damage};
  }
  std::vector<COLORREF> Pixels() const {
    std::vector<COLORREF> out;
    for (std::uint32_t p : pixels) out.push_back(ColorRefFromXrgb(p));
    return out;
  }

  int width;
  std::vector<std::uint32_t> pixels;
  DamagedAreas damage;
};

inline std::array<LONG, 4> Corners(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Compares every pixel of a picture `width` pixels wide with expect(x, y) (COLORREFs).
inline ::testing::AssertionResult PixelsMatch(int width, const std::vector<COLORREF>& actual,
                                              const std::function<COLORREF(int, int)>& expect) {
  for (std::size_t i = 0; i < actual.size(); ++i) {
    const int x = static_cast<int>(i) % width;
    const int y = static_cast<int>(i) / width;
    if (actual[i] == expect(x, y)) continue;
    return ::testing::AssertionFailure() << "first difference at (" << x << "," << y << "): got 0x"
                                         << std::hex << actual[i] << " want 0x" << expect(x, y);
  }
  return ::testing::AssertionSuccess();
}

}  // namespace plk::gdi::testing
