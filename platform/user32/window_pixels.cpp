// Implements: the pixel buffer of a top-level window (0x00RRGGBB, rows top-down, with room
// to grow), resizing that keeps what still fits, and presentation of the damaged areas (or
// of everything) to the host window.
// Does not implement: high-DPI scaling (the host backend's).
#include "user32/window_pixels.h"

#include "user32/host/host.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace plk::user32 {
namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;
// The buffer's rows are a whole number of this many pixels long, and it has room for a
// whole number of this many rows: a window that grows a little (a scroll bar appearing, the
// first show fitting the frame around the client area) keeps its pixels where they are.
constexpr int kSlack = 64;

int RoundedUp(int pixels) { return (pixels + kSlack - 1) / kSlack * kSlack; }

}  // namespace

TopLevelPixels::TopLevelPixels(int width, int height) { Resize(width, height); }

TopLevelPixels::~TopLevelPixels() { ReleaseHostWindow(host); }

void TopLevelPixels::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  const int stride = RoundedUp(width);
  const std::size_t capacity = static_cast<std::size_t>(stride) * RoundedUp(height);
  const int keepWidth = std::min(width, width_);
  const int keepHeight = std::min(height, height_);
  auto row = [](std::uint32_t* rows, int y, int length) {
    return rows + static_cast<std::size_t>(y) * length;
  };
  // Rows move within the one buffer, which keeps its start when it changes by less than its
  // rounding (see PixelMemory) and otherwise is copied whole.
  std::uint32_t* rows = Pixels();
  if (stride <= stride_) {
    if (stride < stride_) {
      for (int y = 0; y < keepHeight; ++y) {
        std::memmove(row(rows, y, stride), row(rows, y, stride_),
                     sizeof(std::uint32_t) * keepWidth);
      }
    }
    if (capacity != capacity_) rows = Reallocate(capacity);
  } else {
    rows = Reallocate(std::max(capacity_, capacity));
    for (int y = keepHeight - 1; y >= 0; --y) {
      std::memmove(row(rows, y, stride), row(rows, y, stride_), sizeof(std::uint32_t) * keepWidth);
    }
    if (capacity < capacity_) rows = Reallocate(capacity);
  }
  for (int y = 0; y < keepHeight && keepWidth < width; ++y) {
    std::fill(row(rows, y, stride) + keepWidth, row(rows, y, stride) + width, kWhite);
  }
  std::fill(row(rows, keepHeight, stride), row(rows, height, stride), kWhite);
  width_ = width;
  height_ = height;
  stride_ = stride;
  damage.Add({0, 0, width_, height_});
}

std::uint32_t* TopLevelPixels::Reallocate(std::size_t count) {
  if (!memory_.Resize(count * sizeof(std::uint32_t))) throw std::bad_alloc();
  capacity_ = count;
  return Pixels();
}

plk::gdi::PixelSurface TopLevelPixels::Surface() { return {Pixels(), width_, height_, stride_}; }

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
