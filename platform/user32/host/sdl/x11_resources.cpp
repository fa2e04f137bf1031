// Implements: Xft.dpi from the resource string of the X server's root window (what the
// desktop or xrdb put there), over a short connection of its own.
// Does not implement: per-screen resources, watching for changes, other resources.
#include "user32/host/sdl/x11_resources.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

namespace plk::user32 {

std::optional<std::string> ReadXftDpi() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::nullopt;
  std::optional<std::string> dpi;
  if (const char* resources = XResourceManagerString(display)) {
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    char* type = nullptr;
    XrmValue value{};
    if (database && XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
      dpi = std::string(value.addr);
    }
    if (database) XrmDestroyDatabase(database);
  }
  XCloseDisplay(display);
  return dpi;
}

}  // namespace plk::user32
