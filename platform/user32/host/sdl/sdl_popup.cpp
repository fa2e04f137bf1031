// Implements: popup menus' host windows shown without taking the keyboard focus, and the
// pointer grab that brings a menu the presses outside the program's windows, through
// Xlib on SDL's own X connection (so that SDL reads the events).
// Does not implement: grabs on other video drivers (Wayland gives popups no global
// pointer: a press outside the program's windows does not close the menu there).
#include "user32/host/host.h"
#include "user32/host/sdl/sdl_host.h"

#include <SDL_syswm.h>

namespace plk::user32 {
namespace {

struct X11Window {
  Display* display = nullptr;
  Window window = 0;
};

X11Window X11Of(SDL_Window* sdl) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!sdl || !SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) return {};
  return {info.info.x11.display, info.info.x11.window};
}

Display*& GrabbingDisplay() {
  static Display* display = nullptr;
  return display;
}

}  // namespace

void ShowWithoutFocus(SDL_Window* window) {
  const X11Window x11 = X11Of(window);
  Window focus = 0;
  int revert = RevertToParent;
  if (x11.display) XGetInputFocus(x11.display, &focus, &revert);
  SDL_ShowWindow(window);
  if (x11.display && focus != 0 && focus != x11.window) {
    XSetInputFocus(x11.display, focus, revert, CurrentTime);
    XFlush(x11.display);
  }
}

bool GrabHostPointer(HostWindow* host) {
  const X11Window x11 = X11Of(host ? host->sdl : nullptr);
  if (!x11.display) return true;  // nothing to grab on this driver
  constexpr unsigned kEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
  const int result = XGrabPointer(x11.display, x11.window, True, kEvents, GrabModeAsync,
                                  GrabModeAsync, None, None, CurrentTime);
  XFlush(x11.display);
  if (result != GrabSuccess) return false;
  GrabbingDisplay() = x11.display;
  return true;
}

void ReleaseHostPointer() {
  Display*& display = GrabbingDisplay();
  if (!display) return;
  XUngrabPointer(display, CurrentTime);
  XFlush(display);
  display = nullptr;
}

}  // namespace plk::user32
