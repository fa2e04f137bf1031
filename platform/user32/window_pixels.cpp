// Implements: the pixel buffer of a top-level window (0x00RRGGBB, rows top-down),
// resizing that keeps what still fits, and presentation of the damaged areas (or of
// everything) to the host window.
// Does not implement: high-DPI scaling (the host backend's).
#include "user32/window_pixels.h"

#include "user32/host/host.h"

#include <algorithm>

namespace plk::user32 {
namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;

}  // namespace

TopLevelPixels::TopLevelPixels(int width, int height) { Resize(width, height); }

TopLevelPixels::~TopLevelPixels() { ReleaseHostWindow(host); }

void TopLevelPixels::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  std::vector<std::uint32_t> next(static_cast<std::size_t>(width) * height, kWhite);
  const int keepWidth = std::min(width, width_);
  const int keepHeight = std::min(height, height_);
  for (int y = 0; y < keepHeight; ++y) {
    std::copy_n(pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_, keepWidth,
                next.begin() + static_cast<std::ptrdiff_t>(y) * width);
  }
  pixels_.swap(next);
  width_ = width;
  height_ = height;
  damage.Add({0, 0, width_, height_});
}

plk::gdi::PixelSurface TopLevelPixels::Surface() {
  return {pixels_.empty() ? nullptr : pixels_.data(), width_, height_, width_};
}

void TopLevelPixels::PresentIfChanged() {
  if (damage.Empty()) return;
  // A hidden window keeps its damage until it shows.
  if (host && !PresentHostWindow(host, Surface(), damage.Areas())) return;
  damage.Clear();
}

void TopLevelPixels::Present() {
  damage.Clear();
  const RECT all = {0, 0, width_, height_};
  if (host) PresentHostWindow(host, Surface(), {&all, 1});
}

}  // namespace plk::user32
