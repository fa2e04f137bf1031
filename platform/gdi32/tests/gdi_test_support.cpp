#include "gdi32/tests/gdi_test_support.h"

#include <cstdio>
#include <sstream>

#include "gdi32/pixel_rows.h"

namespace plk::gdi::testing {

MemoryCanvas::MemoryCanvas(int width, int height, COLORREF fill)
    : dc_(CreateCompatibleDC(nullptr)),
      bitmap_(CreateCompatibleBitmap(ScreenDC(), width, height)),
      initial_(SelectObject(dc_, bitmap_)),
      width_(width),
      height_(height) {
  HBRUSH brush = CreateSolidBrush(fill);
  const RECT all = {0, 0, width, height};
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
}

MemoryCanvas::~MemoryCanvas() {
  SelectObject(dc_, initial_);
  DeleteDC(dc_);
  DeleteObject(bitmap_);
}

std::vector<COLORREF> MemoryCanvas::Pixels() const {
  POINT origin;
  GetWindowOrgEx(dc_, &origin);
  std::vector<COLORREF> pixels;
  pixels.reserve(static_cast<std::size_t>(width_) * height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) pixels.push_back(GetPixel(dc_, x + origin.x, y + origin.y));
  }
  return pixels;
}

TestSurface::TestSurface(int w, int h, std::uint32_t fill)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

WindowTarget TestSurface::Target(POINT origin, std::vector<RECT> clip) {
  WindowTarget target;
  target.surface = {pixels.data(), width, height, width};
  target.origin = origin;
  target.clip = std::move(clip);
  target.changed = &changed;
  return target;
}

std::vector<COLORREF> SurfacePixels(const TestSurface& surface) {
  std::vector<COLORREF> out;
  out.reserve(surface.pixels.size());
  for (std::uint32_t p : surface.pixels) out.push_back(ColorRefFromXrgb(p));
  return out;
}

std::string DumpPpm(const std::string& name, int width, int height,
                    const std::vector<COLORREF>& pixels) {
  const std::string path = ::testing::TempDir() + name + ".ppm";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    for (COLORREF c : pixels) {
      const unsigned char rgb[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
      std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
  }
  return path;
}

::testing::AssertionResult PixelsMatch(const std::string& name, int width, int height,
                                       const std::vector<COLORREF>& actual,
                                       const std::function<COLORREF(int, int)>& expect) {
  std::ostringstream diff;
  int mismatches = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF want = expect(x, y);
      const COLORREF got = actual[static_cast<std::size_t>(y) * width + x];
      if (got == want) continue;
      if (mismatches++ < 5) {
        diff << " (" << x << "," << y << "): got 0x" << std::hex << got << " want 0x" << want
             << std::dec;
      }
    }
  }
  if (mismatches == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << mismatches << " pixels differ:" << diff.str()
                                       << "; picture in " << DumpPpm(name, width, height, actual);
}

}  // namespace plk::gdi::testing
