// The pixels of one top-level window: its client area at (0, 0) and the non-client
// scroll bar to the right of it, presented to the host window when they change.
#pragma once

#include "gdi32/window_surface.h"

#include <cstdint>
#include <vector>

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

  // Copies the pixels to the host window when they changed since the last call.
  void PresentIfChanged();
  void Present();

  bool changed = false;        // set by gdi32 through WindowTarget::changed, and by user32
  HostWindow* host = nullptr;  // null when there is no video device

 private:
  std::vector<std::uint32_t> pixels_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace plk::user32
