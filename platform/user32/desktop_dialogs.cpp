// Implements: the top-level window and the desktop's name for its host window, for dialogs
// that the desktop shows on the program's behalf.
// Does not implement: Wayland's exported handles (the host runs on X11).
#include "user32/desktop_dialogs.h"

#include "user32/host/host.h"
#include "user32/window.h"
#include "user32/window_pixels.h"

namespace plk::user32 {

HWND TopLevelWindowOf(HWND window) {
  Window* found = FindWindowObject(window);
  return found ? TopLevelOf(*found)->handle : nullptr;
}

std::string DesktopNameOf(HWND window) {
  Window* found = FindWindowObject(window);
  Window* top = found ? TopLevelOf(*found) : nullptr;
  return top && top->pixels ? HostWindowExportName(top->pixels->host) : std::string();
}

}  // namespace plk::user32
