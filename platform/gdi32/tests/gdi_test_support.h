// Pixel fixtures for the gdi32 tests: a memory DC with its own 32-bit bitmap, a window
// surface to retarget window DCs at, and a comparison that dumps the picture on failure.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gdi32/window_surface.h"

namespace plk::gdi::testing {

// A memory DC holding a compatible bitmap filled with `fill` (a COLORREF).
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height, COLORREF fill);
  ~MemoryCanvas();
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Pixels as COLORREFs, read in device coordinates (the window origin is ignored).
  std::vector<COLORREF> Pixels() const;

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ initial_;
  int width_;
  int height_;
};

// A window's pixels, 0x00RRGGBB, top-down.
struct TestSurface {
  TestSurface(int width, int height, std::uint32_t fill);
  WindowTarget Target(POINT origin, std::vector<RECT> clip);
  std::uint32_t At(int x, int y) const { return pixels[y * width + x]; }

  int width;
  int height;
  std::vector<std::uint32_t> pixels;
  bool changed = false;
};

// Compares every pixel with expect(x, y) (COLORREFs); on a mismatch writes
// <temp dir>/<name>.ppm and reports the first differing pixels.
::testing::AssertionResult PixelsMatch(const std::string& name, int width, int height,
                                       const std::vector<COLORREF>& actual,
                                       const std::function<COLORREF(int, int)>& expect);

std::vector<COLORREF> SurfacePixels(const TestSurface& surface);

// Writes a binary PPM; returns its path.
std::string DumpPpm(const std::string& name, int width, int height,
                    const std::vector<COLORREF>& pixels);

}  // namespace plk::gdi::testing
