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
Rgb ReleasedWhiteFace(Depth d, const KeyColours& c) {
  if (d.right == 1 || d.below == 1) return c.whiteShade1;
  if (d.right == 2 || d.below == 2) return c.whiteShade2;
  return c.white;
}

// A narrow sheen a little inside the left edge, fading out towards the tip.
Rgb ReleasedBlackFace(Depth d, const KeyColours& c) {
  if (d.below <= 3) return c.black;
  if (d.left == 1) return c.sheen1;
  if (d.left == 2) return c.sheen2;
  return c.black;
}

Rgb PressedFace(Depth d, const KeyColours& c) {
  if (d.right == 1 || d.below == 1) return c.pressedShade1;
  if (d.right == 2 || d.below == 2) return c.pressedShade2;
  if (d.left == 1) return c.pressedLight1;
  if (d.left == 2) return c.pressedLight2;
  return c.pressed;
}

Rgb FaceColour(KeyLook look, Depth d, const KeyColours& c) {
  switch (look) {
    case KeyLook::ReleasedWhite: return ReleasedWhiteFace(d, c);
    case KeyLook::ReleasedBlack: return ReleasedBlackFace(d, c);
    case KeyLook::Pressed: return PressedFace(d, c);
  }
  return c.white;
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

Image PaintKey(const Shape& shape, KeyLook look, const KeyColours& colours) {
  Image key(shape.width, shape.height(), WHITE);
  for (int y = 0; y < shape.height(); ++y) {
    for (int x = 0; x < shape.width; ++x) {
      if (!shape.Contains(x, y)) continue;
      key.at(x, y) = IsOutline(shape, x, y) ? colours.outline
                                            : FaceColour(look, DepthOf(shape, x, y), colours);
    }
  }
  return key;
}

}  // namespace plk::tools
