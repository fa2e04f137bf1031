// The built-in skin: four key shapes, each as released image, pressed image and mask, in
// the 48 x 128 layout that the row drawing copies from.
#pragma once

#include "image.h"
#include "key_art.h"

namespace plk::tools {

inline constexpr int KEY_CELL_WIDTH = 16;
inline constexpr int KEY_CELL_HEIGHT = 32;
inline constexpr int SKIN_WIDTH = 3 * KEY_CELL_WIDTH;
inline constexpr int SKIN_HEIGHT = 4 * KEY_CELL_HEIGHT;

// Skin rows, top to bottom.
enum class SkinShape { NotchRight, NotchBoth, NotchLeft, BlackKey };

Shape ShapeOf(SkinShape shape);
int SkinRowY(SkinShape shape);

// Columns: released image at x 0, pressed image at 16, mask at 32.
Image PaintSkin(const KeyColours& colours = {});

// The skins installed with the program besides the built-in one: the same shapes and
// masks in other colours.
struct ShippedSkin {
  const char* file;
  KeyColours colours;
};
extern const ShippedSkin SHIPPED_SKINS[2];

}  // namespace plk::tools
