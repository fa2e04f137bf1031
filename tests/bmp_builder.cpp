#include "bmp_builder.h"

#include <cstdio>
#include <cstdlib>

namespace bmp {
namespace {

void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void PutPixel(Bytes& row, std::size_t x, int bitCount, std::uint32_t value) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8: {
      const std::size_t bit = x * bitCount;
      const int shift = 8 - bitCount - static_cast<int>(bit % 8);  // leftmost pixel in high bits
      row[bit / 8] |= static_cast<std::uint8_t>((value & ((1u << bitCount) - 1)) << shift);
      return;
    }
    case 16: {  // 5-5-5
      const std::uint32_t word =
          ((value >> 19) & 0x1F) << 10 | ((value >> 11) & 0x1F) << 5 | ((value >> 3) & 0x1F);
      row[2 * x] = static_cast<std::uint8_t>(word);
      row[2 * x + 1] = static_cast<std::uint8_t>(word >> 8);
      return;
    }
    default: {  // 24 and 32: blue, green, red (and a zero byte)
      const std::size_t at = x * (bitCount / 8);
      row[at] = static_cast<std::uint8_t>(value);
      row[at + 1] = static_cast<std::uint8_t>(value >> 8);
      row[at + 2] = static_cast<std::uint8_t>(value >> 16);
    }
  }
}

}  // namespace

std::size_t RowBytes(std::int32_t width, int bitCount) {
  return (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
}

Bytes Encode(const Picture& picture) {
  const std::size_t rows = static_cast<std::size_t>(std::abs(picture.height));
  const std::size_t stride = RowBytes(picture.width, picture.bitCount);
  const std::size_t colors = picture.bitCount <= 8 ? picture.palette.size() : 0;
  const std::size_t offset = HEADERS_SIZE + 4 * colors;
  Bytes out;
  Put16(out, 0x4D42);
  Put32(out, static_cast<std::uint32_t>(offset + stride * rows));
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(offset));
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(picture.width));
  Put32(out, static_cast<std::uint32_t>(picture.height));
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(picture.bitCount));
  Put32(out, 0);  // BI_RGB
  Put32(out, 0);  // image size: the loader computes it
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, static_cast<std::uint32_t>(colors));
  Put32(out, 0);
  for (std::size_t i = 0; i < colors; ++i) Put32(out, picture.palette[i]);
  for (std::size_t stored = 0; stored < rows; ++stored) {
    const std::size_t y = picture.height < 0 ? stored : rows - 1 - stored;
    Bytes row(stride, 0);
    for (std::int32_t x = 0; x < picture.width; ++x) {
      PutPixel(row, static_cast<std::size_t>(x), picture.bitCount,
               picture.pixel(x, static_cast<int>(y)));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

void SetField32(Bytes& file, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void SetField16(Bytes& file, std::size_t offset, std::uint16_t value) {
  file[offset] = static_cast<std::uint8_t>(value);
  file[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

Picture Solid(std::int32_t width, std::int32_t height, std::uint32_t rgb) {
  return Picture{width, height, 24, {}, [rgb](int, int) { return rgb; }};
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace bmp
