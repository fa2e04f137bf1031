// Implements: reading and writing runs of pixels in the DIB formats (1, 4, 8, 16 (5-5-5),
// 24 and 32 bits per pixel, bottom-up or top-down), converting to and from 0x00RRGGBB.
// Does not implement: bit-field masks, compressed formats, dithering.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace plk::gdi {

// A view of pixel memory. Bottom-up images are seen through a negative stride from their
// last memory row, so row y of the view is always line y of the picture from the top.
struct PixelRows {
  std::uint8_t* row0 = nullptr;
  std::ptrdiff_t strideBytes = 0;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;
  const std::uint32_t* palette = nullptr;  // 0x00RRGGBB entries for 1, 4 and 8 bits
  int paletteSize = 0;

  std::uint8_t* Row(int y) const { return row0 + y * strideBytes; }
  // Direct access for the common 32-bit case; null for other formats.
  std::uint32_t* Row32(int y) const {
    return bitsPerPixel == 32 ? reinterpret_cast<std::uint32_t*>(Row(y)) : nullptr;
  }
};

// Copies `count` pixels starting at (x, y) into `out` as 0x00RRGGBB. Palette indices past
// the colour table read as black. The run must lie inside the view.
void ReadPixels(const PixelRows& rows, int x, int y, int count, std::uint32_t* out);

// Stores `count` 0x00RRGGBB pixels at (x, y), picking the nearest palette entry for
// indexed formats. The run must lie inside the view.
void WritePixels(const PixelRows& rows, int x, int y, int count, const std::uint32_t* in);

// Bytes in one row of a DIB: padded to a multiple of four. Zero when it does not fit.
std::size_t DibStrideBytes(std::int64_t width, int bitsPerPixel);

constexpr std::uint32_t XrgbFromColorRef(COLORREF color) {
  return ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}
constexpr COLORREF ColorRefFromXrgb(std::uint32_t pixel) {
  return ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
}

}  // namespace plk::gdi
