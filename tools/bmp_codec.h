// Byte-exact BMP and ICO files written without any Win32 header, so the generator builds
// anywhere and gives the same bytes everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image.h"

namespace plk::tools {

using Bytes = std::vector<std::uint8_t>;

// A 24-bpp BI_RGB file: 14-byte file header, 40-byte info header, no colour table,
// bottom-up rows padded to 4 bytes, 2835 pixels per metre.
Bytes EncodeBmp24(const Image& image);

// An icon file with one 32-bpp entry (opaque alpha) and an all-zero AND mask.
Bytes EncodeIco32(const Image& image);

// Reads back what EncodeBmp24 writes (bottom-up, 24 bpp, BI_RGB); nothing else.
std::optional<Image> DecodeBmp24(const Bytes& file);

// Reads back the single 32-bpp entry of what EncodeIco32 writes.
std::optional<Image> DecodeIco32(const Bytes& file);

}  // namespace plk::tools
