// Byte-exact BMP and ICO files written without any Win32 header, so the generator builds
// anywhere and gives the same bytes everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image.h"

namespace plk::tools {

using Bytes = std::vector<std::uint8_t>;

// How EncodeBmp stores the pixels. At 1, 4 and 8 bits a pixel is the index of its colour
// in `palette`, which becomes the colour table (a colour missing from it stores index 0);
// at 24 and 32 bits it is blue, green, red (and a zero byte). Rows are stored bottom-up,
// or top-down with a negative height.
struct BmpFormat {
  int bitsPerPixel = 24;
  bool topDown = false;
  std::vector<Rgb> palette;
};

// A BI_RGB file: 14-byte file header, 40-byte info header, the colour table, rows padded
// to 4 bytes, 2835 pixels per metre.
Bytes EncodeBmp(const Image& image, const BmpFormat& format);
inline Bytes EncodeBmp24(const Image& image) { return EncodeBmp(image, BmpFormat{}); }
// The same around rows already packed: `pixels` holds them as stored (bottom-up, or
// top-down for a negative height), `palette` the colour table as 0xRRGGBB.
Bytes EncodeBmp(int width, int height, int bitsPerPixel, const std::vector<std::uint32_t>& palette,
                const Bytes& pixels);
// Bytes of one stored row, padded to a multiple of 4.
std::uint32_t BmpRowBytes(int width, int bitsPerPixel);

// An icon file with one 32-bpp entry (opaque alpha) and an all-zero AND mask.
Bytes EncodeIco32(const Image& image);

// Reads back what EncodeBmp24 writes (bottom-up, 24 bpp, BI_RGB); nothing else.
std::optional<Image> DecodeBmp24(const Bytes& file);

// Reads back the single 32-bpp entry of what EncodeIco32 writes.
std::optional<Image> DecodeIco32(const Bytes& file);

}  // namespace plk::tools
