// Key pictures painted from their shapes: the outline follows the shape's edge pixels, so an
// image never strays outside its mask, and every skin shape shares one set of drawing rules.
#pragma once

#include <vector>

#include "image.h"

namespace plk::tools {

// Pixels first..last of one row; first > last when the row is empty.
struct Span {
  int first = 1;
  int last = 0;
};

struct Shape {
  int width = 0;
  std::vector<Span> rows;  // one per pixel row, from the top

  int height() const { return int(rows.size()); }
  bool Contains(int x, int y) const {
    return y >= 0 && y < height() && x >= rows[y].first && x <= rows[y].last;
  }
};

enum class KeyLook { ReleasedWhite, ReleasedBlack, Pressed };

// The colours keys are painted in; the defaults are the built-in skin's. Shades count
// inwards from an edge: the first is the pixel next to the outline.
struct KeyColours {
  Rgb outline = BLACK;
  Rgb white = WHITE;  // a released white key, darkening towards its right and bottom edges
  Rgb whiteShade1 = GRAY;
  Rgb whiteShade2 = LIGHT_GRAY;
  Rgb black = BLACK;  // a released black key, with a sheen a little inside its left edge
  Rgb sheen1 = GRAY;
  Rgb sheen2 = DARK_GRAY;
  Rgb pressed = LAVENDER;  // a pressed key, lit on its left edge and shaded on the others
  Rgb pressedLight1 = WHITE;
  Rgb pressedLight2 = PALE_BLUE;
  Rgb pressedShade1 = BLUE;
  Rgb pressedShade2 = MID_BLUE;
};

// White inside the shape, black outside.
Image PaintMask(const Shape& shape);

// The key's picture, white outside the shape. The outline covers the left and bottom edges
// and any right edge that lies inside the cell; a right edge on the cell border is left to
// the next key's left outline, so neighbouring keys share one black line.
Image PaintKey(const Shape& shape, KeyLook look, const KeyColours& colours = {});

}  // namespace plk::tools
