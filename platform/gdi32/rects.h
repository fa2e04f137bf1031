// Rectangle arithmetic on RECTs, right and bottom exclusive.
#pragma once

#include <windows.h>

#include <algorithm>

namespace plk::gdi {

inline bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
inline RECT Intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}
// The smallest rectangle holding both; an empty one adds nothing.
inline RECT Union(const RECT& a, const RECT& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}
inline bool Contains(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

}  // namespace plk::gdi
