#include "key_art.h"

namespace plk::tools {
namespace {

// Where a shape pixel sits relative to the outline: how many pixels (counting itself) it is
// from the nearest outline or shape border to its left, right and below. 1 = next to it.
struct Depth {
  int left = 0;
  int right = 0;
  int below = 0;
};

bool IsOutline(const Shape& s, int x, int y) {
  if (!s.Contains(x - 1, y) || !s.Contains(x, y + 1)) return true;
  return !s.Contains(x + 1, y) && x + 1 < s.width;
}

bool IsFace(const Shape& s, int x, int y) { return s.Contains(x, y) && !IsOutline(s, x, y); }

int Run(const Shape& s, int x, int y, int dx, int dy) {
  int steps = 1;
  while (IsFace(s, x + dx * steps, y + dy * steps)) ++steps;
  return steps;
}

Depth DepthOf(const Shape& s, int x, int y) {
  return {Run(s, x, y, -1, 0), Run(s, x, y, 1, 0), Run(s, x, y, 0, 1)};
}

// Light falls from the left: two darkening steps towards the right and the bottom.
Rgb ReleasedWhiteFace(Depth d) {
  if (d.right == 1 || d.below == 1) return GRAY;
  if (d.right == 2 || d.below == 2) return LIGHT_GRAY;
  return WHITE;
}

// A narrow sheen a little inside the left edge, fading out towards the tip.
Rgb ReleasedBlackFace(Depth d) {
  if (d.below <= 3) return BLACK;
  if (d.left == 1) return GRAY;
  if (d.left == 2) return DARK_GRAY;
  return BLACK;
}

Rgb PressedFace(Depth d) {
  if (d.right == 1 || d.below == 1) return BLUE;
  if (d.right == 2 || d.below == 2) return MID_BLUE;
  if (d.left == 1) return WHITE;
  if (d.left == 2) return PALE_BLUE;
  return LAVENDER;
}

Rgb FaceColour(KeyLook look, Depth d) {
  switch (look) {
    case KeyLook::ReleasedWhite: return ReleasedWhiteFace(d);
    case KeyLook::ReleasedBlack: return ReleasedBlackFace(d);
    case KeyLook::Pressed: return PressedFace(d);
  }
  return WHITE;
}

}  // namespace

Image PaintMask(const Shape& shape) {
  Image mask(shape.width, shape.height(), BLACK);
  for (int y = 0; y < shape.height(); ++y) {
    for (int x = 0; x < shape.width; ++x) {
      if (shape.Contains(x, y)) mask.at(x, y) = WHITE;
    }
  }
  return mask;
}

Image PaintKey(const Shape& shape, KeyLook look) {
  Image key(shape.width, shape.height(), WHITE);
  for (int y = 0; y < shape.height(); ++y) {
    for (int x = 0; x < shape.width; ++x) {
      if (!shape.Contains(x, y)) continue;
      key.at(x, y) = IsOutline(shape, x, y) ? BLACK : FaceColour(look, DepthOf(shape, x, y));
    }
  }
  return key;
}

}  // namespace plk::tools
