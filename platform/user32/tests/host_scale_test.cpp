// The presentation scale: where it comes from, how it is fitted to the screen, and the
// mapping of window pixels to host pixels and back.
#include "user32/host/host_scale.h"

#include <gtest/gtest.h>

#include <array>

namespace plk::user32 {
namespace {

TEST(HostScale, TheVariableThenTheDesktopsScaleLoweredUntilTheWindowFits) {
  constexpr SIZE WINDOW = {497, 768}, UHD = {3840, 2160};
  const struct {
    ScaleSources sources;
    int factor;
  } cases[] = {
      {{nullptr, nullptr, nullptr, UHD}, 1},
      {{"2", "3", "288", UHD}, 2},      // the variable before the desktop's scale
      {{"", "2", nullptr, UHD}, 2},     // an empty variable is unset
      {{nullptr, "0", "192", UHD}, 2},  // a GDK_SCALE that is no scale is passed over
      {{nullptr, nullptr, "191.9", UHD}, 1},
      {{nullptr, nullptr, "288", UHD}, 2},  // 3 would be 2304 high
      {{nullptr, nullptr, "288", {3840, 2304}}, 3},
      {{"3", nullptr, nullptr, {1400, 2400}}, 2},  // 3 would be 1491 wide
      {{"99999999999", nullptr, nullptr, {0, 0}}, 64},
  };
  for (const auto& c : cases) {
    std::string warning = "old";
    EXPECT_EQ(ChooseHostScale(c.sources, WINDOW, warning), c.factor) << &c - cases;
    EXPECT_EQ(warning, "");
  }
  for (const char* wrong : {"0", "-2", "1.5", " 2"}) {
    std::string warning;
    EXPECT_EQ(ChooseHostScale({wrong, "2", nullptr, UHD}, WINDOW, warning), 1) << wrong;
    EXPECT_EQ(warning, std::string("plinkaro: PLINKARO_SCALE=") + wrong +
                           " is not a positive whole number; the window is shown at its own size");
  }
}

TEST(HostScale, AHostPixelFallsInTheBlockOfItsWindowPixelLeftOfAndAboveTheWindowToo) {
  const POINT inside = ScaleDown({5, 6}, 3), outside = ScaleDown({-1, -4}, 3);
  EXPECT_EQ((std::array{inside.x, inside.y, outside.x, outside.y}), (std::array{1, 2, -1, -2}));
}

}  // namespace
}  // namespace plk::user32
