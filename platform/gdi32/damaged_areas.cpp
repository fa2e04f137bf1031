// Implements: the list of damaged rectangles.
// Does not implement: exact regions.
#include "gdi32/damaged_areas.h"

#include <cstdint>

#include "gdi32/rects.h"

namespace plk::gdi {
namespace {

std::int64_t AreaOf(const RECT& r) {
  return std::int64_t{r.right - r.left} * (std::int64_t{r.bottom} - r.top);
}

}  // namespace

void DamagedAreas::Add(const RECT& area) {
  if (IsEmpty(area)) return;
  int kept = 0;
  for (int i = 0; i < count_; ++i) {
    if (Contains(areas_[i], area)) return;
    if (!Contains(area, areas_[i])) areas_[kept++] = areas_[i];
  }
  count_ = kept;
  if (count_ < kCapacity) {
    areas_[count_++] = area;
    return;
  }
  int best = 0;
  std::int64_t bestGrowth = INT64_MAX;
  for (int i = 0; i < count_; ++i) {
    const std::int64_t growth = AreaOf(Union(areas_[i], area)) - AreaOf(areas_[i]);
    if (growth < bestGrowth) {
      bestGrowth = growth;
      best = i;
    }
  }
  areas_[best] = Union(areas_[best], area);
}

}  // namespace plk::gdi
