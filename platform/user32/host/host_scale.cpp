// Implements: the choice of a whole presentation scale from PLINKARO_SCALE, GDK_SCALE and
// Xft.dpi, fitted to the screen, and the mapping of rectangles and points by it.
// Does not implement: fractional scales (a pixel-art window stays crisp only at whole
// factors), reading the sources (the backend does).
#include "user32/host/host_scale.h"

#include <cerrno>
#include <cstdlib>

namespace plk::user32 {
namespace {

constexpr int kLargestScale = 64;
constexpr double kBaseDpi = 96.0;

// A positive whole number in decimal digits only; 0 for anything else.
int PositiveWhole(const char* text) {
  if (!text || *text < '0' || *text > '9') return 0;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || errno == ERANGE || value < 1) return 0;
  return value > kLargestScale ? kLargestScale : static_cast<int>(value);
}

int DesktopScale(const ScaleSources& sources) {
  if (const int gdk = PositiveWhole(sources.gdkScale)) return gdk;
  if (!sources.xftDpi) return 1;
  char* end = nullptr;
  const double dpi = std::strtod(sources.xftDpi, &end);
  if (end == sources.xftDpi || !(dpi >= 2 * kBaseDpi)) return 1;
  return dpi >= kLargestScale * kBaseDpi ? kLargestScale : static_cast<int>(dpi / kBaseDpi);
}

bool Fits(SIZE window, int factor, SIZE usable) {
  const auto fits = [factor](LONG pixels, LONG room) {
    return room <= 0 || static_cast<long long>(pixels) * factor <= room;
  };
  return fits(window.cx, usable.cx) && fits(window.cy, usable.cy);
}

LONG FloorDivide(LONG value, int factor) {
  return value >= 0 ? value / factor : -((-value + factor - 1) / factor);
}

}  // namespace

int ChooseHostScale(const ScaleSources& sources, SIZE window, std::string& warning) {
  warning.clear();
  int factor = DesktopScale(sources);
  if (sources.plinkaroScale && *sources.plinkaroScale) {
    factor = PositiveWhole(sources.plinkaroScale);
    if (factor == 0) {
      warning = std::string("plinkaro: PLINKARO_SCALE=") + sources.plinkaroScale +
                " is not a positive whole number; the window is shown at its own size";
      factor = 1;
    }
  }
  while (factor > 1 && !Fits(window, factor, sources.usable)) --factor;
  return factor;
}

RECT ScaleUp(const RECT& rect, int factor) {
  return {rect.left * factor, rect.top * factor, rect.right * factor, rect.bottom * factor};
}

POINT ScaleDown(POINT point, int factor) {
  return {FloorDivide(point.x, factor), FloorDivide(point.y, factor)};
}

}  // namespace plk::user32
