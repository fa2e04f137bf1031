// The pixels of one top-level window: its client area at (0, 0) and the non-client
// scroll bar to the right of it; the areas drawn since the last present are presented to
// the host window, and only those.
#pragma once

#include "gdi32/window_surface.h"
#include "user32/pixel_memory.h"

#include <cstddef>
#include <cstdint>

namespace plk::user32 {

struct HostWindow;

class TopLevelPixels {
 public:
  TopLevelPixels(int width, int height);
  ~TopLevelPixels();
  TopLevelPixels(const TopLevelPixels&) = delete;
  TopLevelPixels& operator=(const TopLevelPixels&) = delete;

  // Keeps the pixels that still fit; new pixels are white until painted.
  void Resize(int width, int height);
  plk::gdi::PixelSurface Surface();
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Copies the damaged areas to the host window, if any.
  void PresentIfChanged();
  // Copies every pixel (the host lost what it showed).
  void Present();

  // Added to by gdi32 through WindowTarget::damage, and by user32.
  plk::gdi::DamagedAreas damage;
  HostWindow* host = nullptr;  // null when there is no video device

 private:
  // Gives the buffer room for `count` pixels, keeping what fits; null for none.
  std::uint32_t* Reallocate(std::size_t count);
  std::uint32_t* Pixels() const { return static_cast<std::uint32_t*>(memory_.Data()); }

  PixelMemory memory_;  // no block for an empty window
  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;            // pixels from one row to the next
  std::size_t capacity_ = 0;  // pixels allocated
};

}  // namespace plk::user32
