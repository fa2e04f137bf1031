// Implements: the SDL backend's presentation scale, settled once before the first
// top-level window is placed: PLINKARO_SCALE, else on X11 the desktop's scale (GDK_SCALE,
// then Xft.dpi from the X server), fitted to the first display's usable area. Under
// Wayland the compositor already shows a window at its output's scale, so only
// PLINKARO_SCALE applies, on top of it. Headless drivers stay at 1.
// Does not implement: a scale per display, a change of scale while the program runs.
#include "user32/host/host.h"
#include "user32/host/host_scale.h"
#include "user32/host/sdl/sdl_host.h"
#include "user32/host/sdl/x11_resources.h"
#include "user32/trace.h"

#include <cstdio>
#include <cstring>

namespace plk::user32 {
namespace {

struct Scale {
  bool settled = false;
  int factor = 1;
};

Scale& State() {
  static Scale scale;
  return scale;
}

bool Set(const char* value) { return value && *value; }

}  // namespace

int HostScale() { return State().factor; }

void SettleHostScale(SIZE window) {
  Scale& scale = State();
  if (scale.settled || !HostVideoActive()) return;
  scale.settled = true;
  if (HostVideoHeadless()) return;
  ScaleSources sources;
  sources.plinkaroScale = SDL_getenv("PLINKARO_SCALE");
  std::optional<std::string> xftDpi;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "x11") == 0) {
    sources.gdkScale = SDL_getenv("GDK_SCALE");
    if (!Set(sources.plinkaroScale) && !Set(sources.gdkScale)) xftDpi = ReadXftDpi();
    sources.xftDpi = xftDpi ? xftDpi->c_str() : nullptr;
  }
  SDL_Rect usable{0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0) sources.usable = {usable.w, usable.h};
  std::string warning;
  scale.factor = ChooseHostScale(sources, window, warning);
  if (!warning.empty()) std::fprintf(stderr, "%s\n", warning.c_str());
  Trace("scale %d", scale.factor);
}

}  // namespace plk::user32
