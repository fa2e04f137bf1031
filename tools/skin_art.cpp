#include "skin_art.h"

#include <array>

namespace plk::tools {
namespace {

// A white key: a narrow top between the black keys (rows 0..18), one row widened by a pixel
// on each notched side (19), the full cell (20..30), a bottom row with rounded corners (31).
Shape WhiteKey(int topFirst, int topLast) {
  Shape s{KEY_CELL_WIDTH, std::vector<Span>(KEY_CELL_HEIGHT)};
  const int widenedFirst = topFirst > 0 ? topFirst - 1 : 0;
  const int widenedLast = topLast < KEY_CELL_WIDTH - 1 ? topLast + 1 : KEY_CELL_WIDTH - 1;
  for (int y = 0; y <= 18; ++y) s.rows[y] = {topFirst, topLast};
  s.rows[19] = {widenedFirst, widenedLast};
  for (int y = 20; y <= 30; ++y) s.rows[y] = {0, KEY_CELL_WIDTH - 1};
  s.rows[31] = {1, KEY_CELL_WIDTH - 2};
  return s;
}

// An 8-pixel body centred in its cell, so that it sits on the border of two white keys.
Shape BlackKey() {
  Shape s{KEY_CELL_WIDTH, std::vector<Span>(KEY_CELL_HEIGHT)};
  for (int y = 0; y <= 17; ++y) s.rows[y] = {4, 11};
  s.rows[18] = {5, 10};
  return s;
}

bool IsBlack(SkinShape shape) { return shape == SkinShape::BlackKey; }

}  // namespace

// Dark: slate keys that do not glare at night, near-black sharps, amber when played.
// High contrast: pure white and black without shading, a solid blue when played, for
// low vision and bright rooms.
const ShippedSkin SHIPPED_SKINS[2] = {
    {"dark.bmp",
     {.outline = {16, 16, 20},
      .white = {96, 100, 112},
      .whiteShade1 = {56, 58, 66},
      .whiteShade2 = {76, 80, 90},
      .black = {24, 24, 28},
      .sheen1 = {88, 88, 96},
      .sheen2 = {56, 56, 64},
      .pressed = {240, 160, 48},
      .pressedLight1 = {255, 224, 160},
      .pressedLight2 = {255, 196, 96},
      .pressedShade1 = {160, 88, 16},
      .pressedShade2 = {200, 120, 32}}},
    {"high-contrast.bmp",
     {.whiteShade1 = WHITE,
      .whiteShade2 = WHITE,
      .sheen1 = BLACK,
      .sheen2 = BLACK,
      .pressed = BLUE,
      .pressedLight1 = BLUE,
      .pressedLight2 = BLUE,
      .pressedShade1 = BLUE,
      .pressedShade2 = BLUE}},
};

Shape ShapeOf(SkinShape shape) {
  switch (shape) {
    case SkinShape::NotchRight: return WhiteKey(0, 11);
    case SkinShape::NotchBoth: return WhiteKey(4, 11);
    case SkinShape::NotchLeft: return WhiteKey(4, 15);
    case SkinShape::BlackKey: return BlackKey();
  }
  return {};
}

int SkinRowY(SkinShape shape) { return int(shape) * KEY_CELL_HEIGHT; }

Image PaintSkin(const KeyColours& colours) {
  constexpr std::array ALL = {SkinShape::NotchRight, SkinShape::NotchBoth, SkinShape::NotchLeft,
                              SkinShape::BlackKey};
  Image skin(SKIN_WIDTH, SKIN_HEIGHT, WHITE);
  for (SkinShape kind : ALL) {
    const Shape shape = ShapeOf(kind);
    const int y = SkinRowY(kind);
    const KeyLook released = IsBlack(kind) ? KeyLook::ReleasedBlack : KeyLook::ReleasedWhite;
    Paste(skin, PaintKey(shape, released, colours), 0, y);
    Paste(skin, PaintKey(shape, KeyLook::Pressed, colours), KEY_CELL_WIDTH, y);
    Paste(skin, PaintMask(shape), 2 * KEY_CELL_WIDTH, y);
  }
  return skin;
}

}  // namespace plk::tools
