// A plain RGB picture with a top-left origin, the form every tool here paints and compares in.
#pragma once

#include <cstdint>
#include <vector>

namespace plk::tools {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb BLACK{0, 0, 0};
inline constexpr Rgb WHITE{255, 255, 255};
inline constexpr Rgb DARK_GRAY{64, 64, 64};
inline constexpr Rgb GRAY{128, 128, 128};
inline constexpr Rgb LIGHT_GRAY{192, 192, 192};
inline constexpr Rgb LAVENDER{192, 192, 255};
inline constexpr Rgb PALE_BLUE{224, 224, 255};
inline constexpr Rgb MID_BLUE{128, 128, 255};
inline constexpr Rgb BLUE{0, 0, 255};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row by row from the top

  Image() = default;
  Image(int w, int h, Rgb fill) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
  Rgb& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
  const Rgb& at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Copies `source` into `target` with its top-left corner at (x, y), clipped to `target`.
void Paste(Image& target, const Image& source, int x, int y);

// The key drawing pair: OR the mask into the target, then AND the image, both at (x, y) and
// clipped. Where the mask is black and the image white, the target stays as it was.
void DrawMasked(Image& target, const Image& mask, const Image& image, int x, int y);

// The w x h part of `source` whose top-left corner is (x, y).
Image Crop(const Image& source, int x, int y, int w, int h);

// `source` at w x h, each pixel taking the colour of the source pixel under its centre:
// at a whole factor every pixel becomes a crisp block.
Image ScaleNearest(const Image& source, int w, int h);

}  // namespace plk::tools
