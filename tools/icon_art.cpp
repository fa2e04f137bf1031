#include "icon_art.h"

#include "key_art.h"

namespace plk::tools {
namespace {

struct IconKey {
  int x;       // left edge of the key's cell in the icon
  int width;   // cell width
  Span top;    // the rows beside the black keys
  Span waist;  // the row just below them
  KeyLook look;
};

Shape WhiteShape(const IconKey& key) {
  Shape s{key.width, std::vector<Span>(ICON_SIZE)};
  for (int y = 0; y <= 16; ++y) s.rows[y] = key.top;
  s.rows[17] = key.waist;
  for (int y = 18; y <= 30; ++y) s.rows[y] = {0, key.width - 1};
  s.rows[31] = {1, key.width - 2};
  return s;
}

// One pixel wider than the body, so the body's right edge lies inside the cell and gets its
// outline.
Shape BlackShape() {
  Shape s{6, std::vector<Span>(ICON_SIZE)};
  for (int y = 0; y <= 15; ++y) s.rows[y] = {0, 4};
  s.rows[16] = {1, 3};
  return s;
}

void DrawKey(Image& icon, const Shape& shape, KeyLook look, int x) {
  DrawMasked(icon, PaintMask(shape), PaintKey(shape, look), x, 0);
}

void DrawFrame(Image& icon) {
  for (int i = 0; i < ICON_SIZE; ++i) {
    icon.at(i, 0) = BLACK;
    icon.at(ICON_SIZE - 1, i) = BLACK;
  }
}

}  // namespace

Image PaintIcon() {
  constexpr IconKey WHITE_KEYS[] = {
      {0, 10, {0, 7}, {0, 8}, KeyLook::ReleasedWhite},
      {10, 11, {3, 8}, {2, 9}, KeyLook::Pressed},
      {21, 11, {3, 10}, {2, 10}, KeyLook::ReleasedWhite},
  };
  constexpr int BLACK_KEY_X[] = {8, 19};
  Image icon(ICON_SIZE, ICON_SIZE, WHITE);
  for (const IconKey& key : WHITE_KEYS) DrawKey(icon, WhiteShape(key), key.look, key.x);
  for (int x : BLACK_KEY_X) DrawKey(icon, BlackShape(), KeyLook::ReleasedBlack, x);
  DrawFrame(icon);
  return icon;
}

}  // namespace plk::tools
