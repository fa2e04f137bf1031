// Implements: the pixel buffer of a top-level window (0x00RRGGBB, rows top-down),
// resizing that keeps what still fits, and presentation of the damaged areas (or of
// everything) to the host window.
// Does not implement: high-DPI scaling (the host backend's).
#include "user32/window_pixels.h"

#include "user32/host/host.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

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
  const std::size_t oldCount = static_cast<std::size_t>(width_) * height_;
  const std::size_t newCount = static_cast<std::size_t>(width) * height;
  const int keepHeight = std::min(height, height_);
  std::uint32_t* rows = pixels_.get();
  // Rows move within the one buffer, which grows and shrinks in place: a large block is
  // remapped rather than copied, so only pages the window did not have yet are new.
  if (width <= width_) {
    for (int y = 0; y < keepHeight; ++y) {
      std::memmove(rows + static_cast<std::size_t>(y) * width,
                   rows + static_cast<std::size_t>(y) * width_, sizeof(std::uint32_t) * width);
    }
    rows = Reallocate(newCount);
  } else {
    rows = Reallocate(std::max(oldCount, newCount));
    for (int y = keepHeight - 1; y >= 0; --y) {
      std::uint32_t* row = rows + static_cast<std::size_t>(y) * width;
      std::memmove(row, rows + static_cast<std::size_t>(y) * width_,
                   sizeof(std::uint32_t) * width_);
      std::fill(row + width_, row + width, kWhite);
    }
    if (newCount < oldCount) rows = Reallocate(newCount);
  }
  std::fill(rows + static_cast<std::size_t>(keepHeight) * width, rows + newCount, kWhite);
  width_ = width;
  height_ = height;
  damage.Add({0, 0, width_, height_});
}

std::uint32_t* TopLevelPixels::Reallocate(std::size_t count) {
  if (count == 0) {
    pixels_.reset();
    return nullptr;
  }
  void* moved = std::realloc(pixels_.get(), count * sizeof(std::uint32_t));
  if (!moved) throw std::bad_alloc();
  (void)pixels_.release();
  pixels_.reset(static_cast<std::uint32_t*>(moved));
  return pixels_.get();
}

plk::gdi::PixelSurface TopLevelPixels::Surface() {
  return {pixels_.get(), width_, height_, width_};
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
