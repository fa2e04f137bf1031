#include "keyboard_band.h"

#include "skin_art.h"

namespace plk::tools {
namespace {

struct KeyPlace {
  int x;
  SkinShape shape;
};

constexpr KeyPlace KEY_PLACES[12] = {
    {0, SkinShape::NotchRight}, {8, SkinShape::BlackKey},   {16, SkinShape::NotchBoth},
    {24, SkinShape::BlackKey},  {32, SkinShape::NotchLeft}, {48, SkinShape::NotchRight},
    {56, SkinShape::BlackKey},  {64, SkinShape::NotchBoth}, {72, SkinShape::BlackKey},
    {80, SkinShape::NotchBoth}, {88, SkinShape::BlackKey},  {96, SkinShape::NotchLeft},
};

}  // namespace

int KeyX(int key, int baseKey) {
  return KEY_PLACES[key % 12].x + (key / 12 - baseKey / 12 + 1) * OCTAVE_WIDTH;
}

Image DrawKeyboardBand(const Image& skin, const BandPicture& picture) {
  Image band(picture.width, BAND_HEIGHT, picture.background);
  for (int key = 0; key < 128; ++key) {
    const int srcY = SkinRowY(KEY_PLACES[key % 12].shape);
    const int srcX = picture.pressed[key] ? KEY_CELL_WIDTH : 0;
    const Image mask = Crop(skin, 2 * KEY_CELL_WIDTH, srcY, KEY_CELL_WIDTH, KEY_CELL_HEIGHT);
    const Image image = Crop(skin, srcX, srcY, KEY_CELL_WIDTH, KEY_CELL_HEIGHT);
    DrawMasked(band, mask, image, KeyX(key, picture.baseKey), 0);
  }
  return band;
}

}  // namespace plk::tools
