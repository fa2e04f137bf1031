// The meeting point of user32 and gdi32: user32 owns each top-level window's pixels and
// tells gdi32 where a window DC draws; gdi32 owns DCs, bitmaps, fonts and all drawing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "gdi32/damaged_areas.h"

namespace plk::gdi {

// 32-bit pixels, 0x00RRGGBB, rows top-down.
struct PixelSurface {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels per row
};

// Where a window DC draws: the device's (0, 0) lies at `origin` of `surface`, and only
// the `clip` rectangles (surface coordinates, non-overlapping) may change. gdi32 adds
// every rectangle it writes pixels in to *damage, so user32 knows what to present.
struct WindowTarget {
  PixelSurface surface;
  POINT origin = {0, 0};
  std::vector<RECT> clip;
  DamagedAreas* damage = nullptr;
};

// A DC that draws into a window. Its attributes (window origin, colours, background
// mode, selected objects) persist across retargeting, as a class or own DC keeps them.
HDC CreateWindowDC();
void RetargetWindowDC(HDC dc, const WindowTarget& target);
void DestroyWindowDC(HDC dc);

// The screen DC that GetDC(NULL) returns: 32 bits per pixel, nothing visible to draw on.
HDC ScreenDC();

// A bitmap from the bytes of a BMP file (file header included), as LoadBitmapA gives
// for a bitmap resource; null when the bytes are not a bitmap gdi32 can read.
HBITMAP CreateBitmapFromBmpFile(const std::uint8_t* bytes, std::size_t size);

}  // namespace plk::gdi
