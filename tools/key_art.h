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

// White inside the shape, black outside.
Image PaintMask(const Shape& shape);

// The key's picture, white outside the shape. The outline covers the left and bottom edges
// and any right edge that lies inside the cell; a right edge on the cell border is left to
// the next key's left outline, so neighbouring keys share one black line.
Image PaintKey(const Shape& shape, KeyLook look);

}  // namespace plk::tools
