// The damaged areas of a window: every drawn pixel stays covered, in few rectangles.
#include "gdi32/damaged_areas.h"

#include <gtest/gtest.h>

#include <vector>

#include "gdi32/tests/gdi_test_support.h"

namespace plk::gdi::testing {
namespace {

TEST(DamagedAreasTest, KeepsEveryDrawnPixelCoveredWithoutRepeatingContainedAreas) {
  const struct {
    std::vector<RECT> added;
    std::vector<RECT> kept;
  } cases[] = {
      {{{0, 0, 0, 5}, {3, 3, 2, 9}}, {}},                          // empty areas add nothing
      {{{0, 0, 480, 768}, {16, 16, 32, 48}}, {{0, 0, 480, 768}}},  // inside one already kept
      {{{16, 16, 32, 48}, {8, 16, 24, 48}, {0, 0, 40, 64}}, {{0, 0, 40, 64}}},  // covers both
      {{{16, 16, 32, 48}, {100, 16, 116, 48}}, {{16, 16, 32, 48}, {100, 16, 116, 48}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    DamagedAreas damage;
    for (const RECT& area : c.added) damage.Add(area);
    std::vector<std::array<LONG, 4>> kept, expected;
    for (const RECT& area : damage.Areas()) kept.push_back(Corners(area));
    for (const RECT& area : c.kept) expected.push_back(Corners(area));
    EXPECT_EQ(kept, expected);
  }
}

// Past its capacity a new area joins the kept one it enlarges least: the key beside it.
TEST(DamagedAreasTest, PastItsCapacityAnAreaJoinsTheOneItEnlargesLeast) {
  DamagedAreas damage;
  for (LONG row = 0; row < DamagedAreas::kCapacity; ++row)
    damage.Add({0, 48 * row, 16, 48 * row + 32});
  damage.Add({16, 96, 32, 128});
  ASSERT_EQ(damage.Areas().size(), static_cast<std::size_t>(DamagedAreas::kCapacity));
  EXPECT_EQ(Corners(damage.Areas()[2]), Corners({0, 96, 32, 128}));
  damage.Clear();
  EXPECT_TRUE(damage.Empty());
}

}  // namespace
}  // namespace plk::gdi::testing
