// Update regions and clip lists as sets of non-overlapping rectangles: the few region
// operations that painting and scrolling need, without HRGN objects.
#pragma once

#include <windows.h>

#include <vector>

namespace plk::user32 {

bool IsEmptyRect(const RECT& rect);
RECT IntersectRects(const RECT& a, const RECT& b);
RECT OffsetRectBy(const RECT& rect, int dx, int dy);
bool RectsEqual(const RECT& a, const RECT& b);

class Region {
 public:
  Region() = default;
  explicit Region(const RECT& rect) { Add(rect); }

  void Add(const RECT& rect);
  void Add(const Region& other);
  void Subtract(const RECT& rect);
  void Intersect(const RECT& rect);
  void Offset(int dx, int dy);
  void Clear() { rects_.clear(); }

  bool Empty() const { return rects_.empty(); }
  bool Intersects(const RECT& rect) const;
  RECT Bounds() const;
  const std::vector<RECT>& Rects() const { return rects_; }

 private:
  std::vector<RECT> rects_;  // pairwise disjoint, none empty
};

}  // namespace plk::user32
