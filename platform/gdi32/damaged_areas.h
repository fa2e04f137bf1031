// Implements: the areas of a window's pixels drawn since they were last presented, as a
// short list of rectangles that covers every changed pixel (an area inside one already
// listed adds nothing; past the list's capacity an area joins the one it enlarges least),
// kept without allocating.
// Does not implement: exact regions (a listed rectangle may cover unchanged pixels).
#pragma once

#include <windows.h>

#include <array>
#include <span>

namespace plk::gdi {

class DamagedAreas {
 public:
  static constexpr int kCapacity = 16;

  void Add(const RECT& area);
  void Clear() { count_ = 0; }
  bool Empty() const { return count_ == 0; }
  std::span<const RECT> Areas() const { return {areas_.data(), static_cast<std::size_t>(count_)}; }

 private:
  std::array<RECT, kCapacity> areas_{};
  int count_ = 0;
};

}  // namespace plk::gdi
