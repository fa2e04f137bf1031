#include "bmp_codec.h"

#include <cstddef>

namespace plk::tools {
namespace {

constexpr std::uint32_t FILE_HEADER_SIZE = 14;
constexpr std::uint32_t INFO_HEADER_SIZE = 40;
constexpr std::int32_t PIXELS_PER_METRE = 2835;  // 72 dpi
constexpr std::uint32_t BI_RGB = 0;

void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(std::uint8_t(value));
  out.push_back(std::uint8_t(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::uint32_t Get16(const Bytes& in, std::size_t at) { return in[at] | (in[at + 1] << 8); }
std::uint32_t Get32(const Bytes& in, std::size_t at) {
  return Get16(in, at) | (Get16(in, at + 2) << 16);
}

void PutInfoHeader(Bytes& out, int width, int height, int bitsPerPixel, std::uint32_t imageSize,
                   std::uint32_t coloursUsed) {
  Put32(out, INFO_HEADER_SIZE);
  Put32(out, std::uint32_t(width));
  Put32(out, std::uint32_t(height));
  Put16(out, 1);  // planes
  Put16(out, std::uint32_t(bitsPerPixel));
  Put32(out, BI_RGB);
  Put32(out, imageSize);
  Put32(out, PIXELS_PER_METRE);
  Put32(out, PIXELS_PER_METRE);
  Put32(out, coloursUsed);
  Put32(out, 0);  // important colours
}

std::uint8_t PaletteIndex(const std::vector<Rgb>& palette, const Rgb& colour) {
  for (std::size_t i = 0; i < palette.size(); ++i) {
    if (palette[i] == colour) return std::uint8_t(i);
  }
  return 0;
}

void PutPixelRows(Bytes& out, const Image& image, const BmpFormat& format, std::uint8_t alpha) {
  const int bits = format.bitsPerPixel;
  for (int stored = 0; stored < image.height; ++stored) {
    const int y = format.topDown ? stored : image.height - 1 - stored;
    Bytes row(BmpRowBytes(image.width, bits), 0);
    for (int x = 0; x < image.width; ++x) {
      const Rgb& p = image.at(x, y);
      if (bits <= 8) {  // the leftmost pixel in the high bits
        const int bit = x * bits;
        row[bit / 8] |= std::uint8_t(PaletteIndex(format.palette, p) << (8 - bits - bit % 8));
        continue;
      }
      std::uint8_t* at = &row[std::size_t(x) * (bits / 8)];
      at[0] = p.b;
      at[1] = p.g;
      at[2] = p.r;
      if (bits == 32) at[3] = alpha;
    }
    out.insert(out.end(), row.begin(), row.end());
  }
}

std::optional<Image> ReadPixelRows(const Bytes& in, std::size_t at, int width, int height,
                                   int bitsPerPixel) {
  const std::size_t rowBytes = BmpRowBytes(width, bitsPerPixel);
  if (width <= 0 || height <= 0 || at + rowBytes * height > in.size()) return std::nullopt;
  Image image(width, height, WHITE);
  const std::size_t step = bitsPerPixel / 8;
  for (int y = 0; y < height; ++y) {
    const std::size_t row = at + rowBytes * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::size_t p = row + x * step;
      image.at(x, y) = {in[p + 2], in[p + 1], in[p]};
    }
  }
  return image;
}

}  // namespace

std::uint32_t BmpRowBytes(int width, int bitsPerPixel) {
  return (std::uint32_t(width) * bitsPerPixel + 31) / 32 * 4;
}

Bytes EncodeBmp(int width, int height, int bitsPerPixel, const std::vector<std::uint32_t>& palette,
                const Bytes& pixels) {
  const auto imageSize = std::uint32_t(pixels.size());
  const auto offset = std::uint32_t(FILE_HEADER_SIZE + INFO_HEADER_SIZE + 4 * palette.size());
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageSize);
  Put32(out, 0);  // two reserved words
  Put32(out, offset);
  PutInfoHeader(out, width, height, bitsPerPixel, imageSize, std::uint32_t(palette.size()));
  for (std::uint32_t colour : palette) Put32(out, colour);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

Bytes EncodeBmp(const Image& image, const BmpFormat& format) {
  std::vector<std::uint32_t> palette;
  if (format.bitsPerPixel <= 8) {
    for (const Rgb& c : format.palette)
      palette.push_back(std::uint32_t(c.r) << 16 | c.g << 8 | c.b);
  }
  Bytes pixels;
  PutPixelRows(pixels, image, format, 0);
  return EncodeBmp(image.width, format.topDown ? -image.height : image.height, format.bitsPerPixel,
                   palette, pixels);
}

Bytes EncodeIco32(const Image& image) {
  constexpr std::uint32_t DIRECTORY_SIZE = 6 + 16;
  const std::uint32_t colourBytes = BmpRowBytes(image.width, 32) * image.height;
  const std::uint32_t maskBytes = BmpRowBytes(image.width, 1) * image.height;
  const std::uint32_t entrySize = INFO_HEADER_SIZE + colourBytes + maskBytes;
  Bytes out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon, not cursor
  Put16(out, 1);  // one entry
  out.push_back(std::uint8_t(image.width));
  out.push_back(std::uint8_t(image.height));
  out.push_back(0);  // colours in a palette: none
  out.push_back(0);  // reserved
  Put16(out, 1);     // planes
  Put16(out, 32);    // bits per pixel
  Put32(out, entrySize);
  Put32(out, DIRECTORY_SIZE);
  // An icon entry's header counts the colour rows and the AND mask rows together.
  PutInfoHeader(out, image.width, image.height * 2, 32, colourBytes + maskBytes, 0);
  PutPixelRows(out, image, BmpFormat{32, false, {}}, 0xFF);
  out.resize(out.size() + maskBytes, 0);
  return out;
}

std::optional<Image> DecodeBmp24(const Bytes& in) {
  if (in.size() < FILE_HEADER_SIZE + INFO_HEADER_SIZE || in[0] != 'B' || in[1] != 'M') {
    return std::nullopt;
  }
  if (Get16(in, 28) != 24 || Get32(in, 30) != BI_RGB) return std::nullopt;
  return ReadPixelRows(in, Get32(in, 10), int(Get32(in, 18)), int(Get32(in, 22)), 24);
}

std::optional<Image> DecodeIco32(const Bytes& in) {
  if (in.size() < 22 || Get16(in, 2) != 1 || Get16(in, 4) != 1) return std::nullopt;
  const std::size_t header = Get32(in, 18);
  if (header + INFO_HEADER_SIZE > in.size() || Get16(in, header + 14) != 32) return std::nullopt;
  const int width = int(Get32(in, header + 4));
  const int height = int(Get32(in, header + 8)) / 2;
  return ReadPixelRows(in, header + INFO_HEADER_SIZE, width, height, 32);
}

}  // namespace plk::tools
