#include "image.h"

namespace plk::tools {
namespace {

template <typename Combine>
void Combine2(Image& target, const Image& source, int x, int y, Combine combine) {
  for (int sy = 0; sy < source.height; ++sy) {
    for (int sx = 0; sx < source.width; ++sx) {
      if (target.contains(x + sx, y + sy)) combine(target.at(x + sx, y + sy), source.at(sx, sy));
    }
  }
}

}  // namespace

void Paste(Image& target, const Image& source, int x, int y) {
  Combine2(target, source, x, y, [](Rgb& t, const Rgb& s) { t = s; });
}

void DrawMasked(Image& target, const Image& mask, const Image& image, int x, int y) {
  Combine2(target, mask, x, y, [](Rgb& t, const Rgb& s) {
    t = {std::uint8_t(t.r | s.r), std::uint8_t(t.g | s.g), std::uint8_t(t.b | s.b)};
  });
  Combine2(target, image, x, y, [](Rgb& t, const Rgb& s) {
    t = {std::uint8_t(t.r & s.r), std::uint8_t(t.g & s.g), std::uint8_t(t.b & s.b)};
  });
}

Image Crop(const Image& source, int x, int y, int w, int h) {
  Image part(w, h, WHITE);
  for (int py = 0; py < h; ++py) {
    for (int px = 0; px < w; ++px) part.at(px, py) = source.at(x + px, y + py);
  }
  return part;
}

Image ScaleNearest(const Image& source, int w, int h) {
  Image scaled(w, h, WHITE);
  for (int y = 0; y < h; ++y) {
    const int sy = (2 * y + 1) * source.height / (2 * h);
    for (int x = 0; x < w; ++x)
      scaled.at(x, y) = source.at((2 * x + 1) * source.width / (2 * w), sy);
  }
  return scaled;
}

}  // namespace plk::tools
