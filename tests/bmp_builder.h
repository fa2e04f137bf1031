// BMP files written byte by byte for tests and fuzz seeds: every depth the loader takes,
// either row order, and helpers to spoil single header fields.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bmp {

using Bytes = std::vector<std::uint8_t>;

// Field offsets in the file (14-byte file header, then the 40-byte information header).
enum Field : std::size_t {
  AT_PIXEL_OFFSET = 10,
  AT_HEADER_SIZE = 14,
  AT_WIDTH = 18,
  AT_HEIGHT = 22,
  AT_PLANES = 26,
  AT_BIT_COUNT = 28,
  AT_COMPRESSION = 30,
  AT_IMAGE_SIZE = 34,
  AT_COLORS_USED = 46,
};
constexpr std::size_t HEADERS_SIZE = 54;

struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: rows stored from the top
  int bitCount = 24;
  std::vector<std::uint32_t> palette;  // 0xRRGGBB, for 1, 4 and 8 bits per pixel
  // At (x, y) from the top-left: a palette index for 1, 4 and 8 bits, else 0xRRGGBB.
  std::function<std::uint32_t(int x, int y)> pixel;
};

// Stride of one row, padded to 4 bytes.
std::size_t RowBytes(std::int32_t width, int bitCount);
// A well-formed file; the image size field is 0.
Bytes Encode(const Picture& picture);
void SetField32(Bytes& file, std::size_t offset, std::uint32_t value);
void SetField16(Bytes& file, std::size_t offset, std::uint16_t value);
// A picture of one colour at 24 bits, the shape of a skin.
Picture Solid(std::int32_t width, std::int32_t height, std::uint32_t rgb);
bool WriteFile(const std::string& path, const Bytes& bytes);

}  // namespace bmp
