// The presentation scale: where it comes from, how it is fitted to the screen, and the
// mapping of window pixels to host pixels and back.
#include "user32/host/host_scale.h"

#include <gtest/gtest.h>

#include <array>

namespace plk::user32 {
namespace {

TEST(HostScale, TheVariableThenTheDesktopsScaleLoweredUntilTheWindowFits) {
  constexpr SIZE kWindow = {497, 768};
  constexpr SIZE k4K = {3840, 2160};
  const struct {
    const char* plinkaroScale;
    const char* gdkScale;
    const char* xftDpi;
    SIZE usable;
    int factor;
    bool warns;
  } cases[] = {
      {nullptr, nullptr, nullptr, k4K, 1, false},
      {"2", "3", "288", k4K, 2, false},   // the variable over the desktop
      {"", "2", nullptr, k4K, 2, false},  // an empty variable is unset
      {nullptr, "2", "288", k4K, 2, false},
      {nullptr, "0", "192", k4K, 2, false},  // a GDK_SCALE that is no scale is passed over
      {nullptr, nullptr, "191.9", k4K, 1, false},
      {nullptr, nullptr, "288", k4K, 2, false},  // 3 would be 2304 high
      {nullptr, nullptr, "288", {3840, 2304}, 3, false},
      {"3", nullptr, nullptr, {1400, 2400}, 2, false},  // 1491 would be too wide
      {"4", nullptr, nullptr, {0, 0}, 4, false},        // no screen to fit
      {"99999999999", nullptr, nullptr, k4K, 2, false},
      {"8", nullptr, nullptr, {1024, 700}, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plinkaroScale ? c.plinkaroScale : c.xftDpi ? c.xftDpi : "none");
    std::string warning = "old";
    EXPECT_EQ(ChooseHostScale({c.plinkaroScale, c.gdkScale, c.xftDpi, c.usable}, kWindow, warning),
              c.factor);
    EXPECT_EQ(warning, "");
  }
  for (const char* wrong : {"0", "-2", "2x", "1.5", " 2", "two"}) {
    std::string warning;
    EXPECT_EQ(ChooseHostScale({wrong, "2", nullptr, k4K}, kWindow, warning), 1) << wrong;
    EXPECT_EQ(warning, std::string("plinkaro: PLINKARO_SCALE=") + wrong +
                           " is not a positive whole number; the window is shown at its own size");
  }
}

TEST(HostScale, WindowPixelsAreBlocksAndHostPixelsFallInTheirBlock) {
  const RECT up = ScaleUp({-3, 5, 480, 768}, 2);
  EXPECT_EQ((std::array{up.left, up.top, up.right, up.bottom}), (std::array{-6, 10, 960, 1536}));
  const struct {
    POINT host;
    POINT pixel;
  } points[] = {{{0, 0}, {0, 0}},
                {{5, 2}, {1, 0}},
                {{6, 8}, {2, 2}},
                {{-1, -3}, {-1, -1}},
                {{-4, -5}, {-2, -2}}};
  for (const auto& p : points) {
    const POINT down = ScaleDown(p.host, 3);
    EXPECT_EQ((std::array{down.x, down.y}), (std::array{p.pixel.x, p.pixel.y}))
        << p.host.x << "," << p.host.y;
  }
}

}  // namespace
}  // namespace plk::user32
