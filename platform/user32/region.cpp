// Implements: rectangle-list regions (union, difference, intersection, offset, bounds).
// Does not implement: HRGN objects, non-rectangular shapes, region coalescing (the lists
// stay short: a few invalidated bands per paint).
#include "user32/region.h"

#include <algorithm>

namespace plk::user32 {
namespace {

// Appends the parts of `from` that lie outside `hole` (at most four bands).
void AppendDifference(const RECT& from, const RECT& hole, std::vector<RECT>& out) {
  const RECT overlap = IntersectRects(from, hole);
  if (IsEmptyRect(overlap)) {
    out.push_back(from);
    return;
  }
  const RECT pieces[] = {
      {from.left, from.top, from.right, overlap.top},
      {from.left, overlap.bottom, from.right, from.bottom},
      {from.left, overlap.top, overlap.left, overlap.bottom},
      {overlap.right, overlap.top, from.right, overlap.bottom},
  };
  for (const RECT& piece : pieces) {
    if (!IsEmptyRect(piece)) out.push_back(piece);
  }
}

}  // namespace

bool IsEmptyRect(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

RECT IntersectRects(const RECT& a, const RECT& b) {
  RECT result = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
  if (IsEmptyRect(result)) result = {0, 0, 0, 0};
  return result;
}

RECT OffsetRectBy(const RECT& rect, int dx, int dy) {
  return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

bool RectsEqual(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Region::Add(const RECT& rect) {
  if (IsEmptyRect(rect)) return;
  std::vector<RECT> fresh = {rect};
  for (const RECT& existing : rects_) {
    std::vector<RECT> next;
    for (const RECT& piece : fresh) AppendDifference(piece, existing, next);
    fresh.swap(next);
    if (fresh.empty()) return;
  }
  rects_.insert(rects_.end(), fresh.begin(), fresh.end());
}

void Region::Add(const Region& other) {
  for (const RECT& rect : other.rects_) Add(rect);
}

void Region::Subtract(const RECT& rect) {
  std::vector<RECT> next;
  for (const RECT& existing : rects_) AppendDifference(existing, rect, next);
  rects_.swap(next);
}

void Region::Intersect(const RECT& rect) {
  std::vector<RECT> next;
  for (const RECT& existing : rects_) {
    const RECT overlap = IntersectRects(existing, rect);
    if (!IsEmptyRect(overlap)) next.push_back(overlap);
  }
  rects_.swap(next);
}

void Region::Offset(int dx, int dy) {
  for (RECT& rect : rects_) rect = OffsetRectBy(rect, dx, dy);
}

bool Region::Intersects(const RECT& rect) const {
  return std::any_of(rects_.begin(), rects_.end(),
                     [&](const RECT& r) { return !IsEmptyRect(IntersectRects(r, rect)); });
}

RECT Region::Bounds() const {
  if (rects_.empty()) return {0, 0, 0, 0};
  RECT bounds = rects_.front();
  for (const RECT& rect : rects_) {
    bounds.left = std::min(bounds.left, rect.left);
    bounds.top = std::min(bounds.top, rect.top);
    bounds.right = std::max(bounds.right, rect.right);
    bounds.bottom = std::max(bounds.bottom, rect.bottom);
  }
  return bounds;
}

}  // namespace plk::user32
