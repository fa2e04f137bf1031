// Draws a keyboard band from a skin the way the program's row drawing does (mask OR, image
// AND, keys 0..127 in order at their octave slots), for previews and for checking a skin.
#pragma once

#include <bitset>

#include "image.h"

namespace plk::tools {

inline constexpr int OCTAVE_WIDTH = 112;
inline constexpr int BAND_HEIGHT = 32;

struct BandPicture {
  int width = 480;
  int baseKey = 60;
  Rgb background = WHITE;
  std::bitset<128> pressed;
};

// Left edge of `key` in the band; negative or past the width when it is off screen.
int KeyX(int key, int baseKey);

Image DrawKeyboardBand(const Image& skin, const BandPicture& picture);

}  // namespace plk::tools
