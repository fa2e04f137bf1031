// Implements: pixel run conversion between the DIB formats and 0x00RRGGBB.
// Does not implement: bit-field masks, compressed formats, dithering.
#include "gdi32/pixel_rows.h"

#include <cstring>
#include <limits>

namespace plk::gdi {
namespace {

std::uint32_t PaletteColor(const PixelRows& rows, unsigned index) {
  return static_cast<int>(index) < rows.paletteSize ? rows.palette[index] : 0u;
}

unsigned ReadIndex(const std::uint8_t* row, int x, int bits) {
  switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu;
    default: return row[x];
  }
}

void WriteIndex(std::uint8_t* row, int x, int bits, unsigned index) {
  switch (bits) {
    case 1: {
      const auto bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
      row[x >> 3] = static_cast<std::uint8_t>(index ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
      break;
    }
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      const auto keep = static_cast<unsigned>(0xF0u >> shift);
      row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & keep) | ((index & 0xFu) << shift));
      break;
    }
    default: row[x] = static_cast<std::uint8_t>(index); break;
  }
}

unsigned NearestIndex(const PixelRows& rows, std::uint32_t pixel) {
  unsigned best = 0;
  long bestDistance = std::numeric_limits<long>::max();
  for (int i = 0; i < rows.paletteSize; ++i) {
    const std::uint32_t entry = rows.palette[i];
    if (entry == pixel) return static_cast<unsigned>(i);
    long distance = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const long d = static_cast<long>((entry >> shift) & 0xFFu) - ((pixel >> shift) & 0xFFu);
      distance += d * d;
    }
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<unsigned>(i);
    }
  }
  return best;
}

std::uint32_t Expand5(unsigned v) { return (v << 3) | (v >> 2); }

}  // namespace

void ReadPixels(const PixelRows& rows, int x, int y, int count, std::uint32_t* out) {
  const std::uint8_t* row = rows.Row(y);
  switch (rows.bitsPerPixel) {
    case 32: {
      const auto* src = reinterpret_cast<const std::uint32_t*>(row) + x;
      for (int i = 0; i < count; ++i) out[i] = src[i] & 0x00FFFFFFu;
      break;
    }
    case 24:
      for (int i = 0; i < count; ++i) {
        const std::uint8_t* p = row + 3 * (x + i);
        out[i] = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
      }
      break;
    case 16:
      for (int i = 0; i < count; ++i) {
        const std::uint8_t* p = row + 2 * (x + i);
        const unsigned v = p[0] | (p[1] << 8);
        out[i] = (Expand5((v >> 10) & 31) << 16) | (Expand5((v >> 5) & 31) << 8) | Expand5(v & 31);
      }
      break;
    default:
      for (int i = 0; i < count; ++i) {
        out[i] = PaletteColor(rows, ReadIndex(row, x + i, rows.bitsPerPixel));
      }
      break;
  }
}

void WritePixels(const PixelRows& rows, int x, int y, int count, const std::uint32_t* in) {
  std::uint8_t* row = rows.Row(y);
  switch (rows.bitsPerPixel) {
    case 32: std::memcpy(row + 4 * x, in, sizeof(std::uint32_t) * count); break;
    case 24:
      for (int i = 0; i < count; ++i) {
        std::uint8_t* p = row + 3 * (x + i);
        p[0] = static_cast<std::uint8_t>(in[i]);
        p[1] = static_cast<std::uint8_t>(in[i] >> 8);
        p[2] = static_cast<std::uint8_t>(in[i] >> 16);
      }
      break;
    case 16:
      for (int i = 0; i < count; ++i) {
        const unsigned v =
            ((in[i] >> 9) & 0x7C00u) | ((in[i] >> 6) & 0x03E0u) | ((in[i] >> 3) & 31u);
        row[2 * (x + i)] = static_cast<std::uint8_t>(v);
        row[2 * (x + i) + 1] = static_cast<std::uint8_t>(v >> 8);
      }
      break;
    default:
      for (int i = 0; i < count; ++i) {
        WriteIndex(row, x + i, rows.bitsPerPixel, NearestIndex(rows, in[i]));
      }
      break;
  }
}

std::size_t DibStrideBytes(std::int64_t width, int bitsPerPixel) {
  if (width <= 0 || width > (std::int64_t{1} << 24)) return 0;
  return static_cast<std::size_t>((width * bitsPerPixel + 31) / 32 * 4);
}

}  // namespace plk::gdi
