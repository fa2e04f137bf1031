// Implements: lazy start of SDL's event and video subsystems (a real display unless a
// driver is asked for), hidden host windows tagged with their HWND (resizable or fixed,
// owned ones kept above their owner, reused rather than destroyed), presentation of 0x00RRGGBB
// pixels through the window surface, and window icons from the embedded BMP resources. Does not
// implement: shutting SDL down or destroying host windows (the process exit does), OpenGL or
// textures.
#include "user32/sdl_video.h"

#include "user32/resource_lookup.h"
#include "user32/trace.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace plk::user32 {
namespace {

constexpr const char* kHwndKey = "plk.hwnd";

struct SdlState {
  bool eventsUp = false;
  bool videoTried = false;
  bool videoUp = false;
  std::string videoFailure;
  std::thread::id videoThread;
  // Host windows are hidden and kept for the next top-level window, never destroyed while
  // the program runs: SDL 2.26 may still be sending a wake-up event to a host window from
  // its second X connection, and X kills the program for an event sent to a window that is
  // gone (a message box closing while the thread waits).
  std::vector<SDL_Window*> spareHosts;
};

SdlState& State() {
  static SdlState state;
  return state;
}

std::string Environment(const char* name) {
  const char* value = SDL_getenv(name);
  return value ? value : "";
}

// The SDL drivers of the displays the environment names, e.g. "x11,wayland".
std::string DisplayDrivers() {
  std::string drivers;
  if (!Environment("DISPLAY").empty()) drivers = "x11";
  if (!Environment("WAYLAND_DISPLAY").empty()) drivers += drivers.empty() ? "wayland" : ",wayland";
  return drivers;
}

std::string DisplayFailure() {
  std::string named;
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    if (Environment(name).empty()) continue;
    named += (named.empty() ? "" : " or ") + std::string(name) + "=" + Environment(name);
  }
  return named.empty() ? "no display" : "no display answers at " + named;
}

bool StartVideoOnce(std::string& failure) {
  EnsureSdlEvents();
  const std::string asked = Environment("SDL_VIDEODRIVER");
  if (asked.empty()) {
    const std::string drivers = DisplayDrivers();
    if (drivers.empty()) {
      failure = DisplayFailure();
      return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  }
  // Present through the host's own framebuffer (X11: shared memory) where there is one,
  // not through an OpenGL context: a small window needs no GPU, and starting one costs
  // start-up time, memory and threads. Hosts without a native framebuffer (Wayland) still
  // get SDL's texture framebuffer; SDL_FRAMEBUFFER_ACCELERATION overrides either way.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    failure = asked.empty() ? DisplayFailure() : "video driver " + asked + " does not start";
    return false;
  }
  return true;
}

}  // namespace

bool EnsureSdlEvents() {
  SdlState& state = State();
  if (!state.eventsUp) {
    // The program closes its windows itself on WM_CLOSE; SDL must not quit on its own.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    state.eventsUp = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
  }
  return state.eventsUp;
}

bool StartSdlVideo(std::string& failure) {
  SdlState& state = State();
  if (!state.videoTried) {
    state.videoTried = true;
    state.videoThread = std::this_thread::get_id();
    state.videoUp = StartVideoOnce(state.videoFailure);
    if (state.videoUp) {
      // Key messages carry their own characters (TranslateMessage); an input method would
      // swallow the keys the program plays on.
      SDL_StopTextInput();
      Trace("video driver %s", SDL_GetCurrentVideoDriver());
    }
  }
  failure = state.videoFailure;
  return state.videoUp;
}

bool EnsureSdlVideo() {
  static bool told = false;
  std::string failure;
  if (StartSdlVideo(failure)) return true;
  if (!told) std::fprintf(stderr, "plinkaro: %s; windows stay invisible\n", failure.c_str());
  told = true;
  return false;
}

bool SdlVideoActive() { return State().videoUp; }

bool OnVideoThread() {
  return State().videoUp && State().videoThread == std::this_thread::get_id();
}

bool SdlVideoHeadless() {
  if (!State().videoUp) return true;
  const char* driver = SDL_GetCurrentVideoDriver();
  return !driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

SDL_Window* CreateHostWindow(const char* title, const RECT& client, HWND window, bool resizable,
                             SDL_Window* ownerHost) {
  if (!EnsureSdlVideo()) return nullptr;
  const int width = std::max<int>(client.right - client.left, 1);
  const int height = std::max<int>(client.bottom - client.top, 1);
  std::vector<SDL_Window*>& spares = State().spareHosts;
  SDL_Window* host = nullptr;
  if (!spares.empty()) {
    host = spares.back();
    spares.pop_back();
    SDL_SetWindowTitle(host, title ? title : "");
    SDL_SetWindowSize(host, width, height);
    SDL_SetWindowPosition(host, client.left, client.top);
    SDL_SetWindowResizable(host, resizable ? SDL_TRUE : SDL_FALSE);
  } else {
    const Uint32 flags = SDL_WINDOW_HIDDEN | (resizable ? SDL_WINDOW_RESIZABLE : 0);
    host = SDL_CreateWindow(title ? title : "", client.left, client.top, width, height, flags);
  }
  if (!host) {
    std::fprintf(stderr, "plinkaro: cannot create a window: %s\n", SDL_GetError());
    return nullptr;
  }
  SDL_SetWindowData(host, kHwndKey, window);
  if (ownerHost) SDL_SetWindowModalFor(host, ownerHost);
  return host;
}

void RaiseHostWindow(SDL_Window* host) {
  if (!host) return;
  SDL_RaiseWindow(host);
  // Without a window manager nobody else hands the keyboard focus back.
  SDL_SetWindowInputFocus(host);
}

void DestroyHostWindow(SDL_Window* host) {
  if (!host) return;
  SDL_HideWindow(host);
  SDL_SetWindowData(host, kHwndKey, nullptr);
  State().spareHosts.push_back(host);
}

HWND WindowOfHost(unsigned int sdlWindowId) {
  SDL_Window* host = SDL_GetWindowFromID(sdlWindowId);
  return host ? static_cast<HWND>(SDL_GetWindowData(host, kHwndKey)) : nullptr;
}

void PresentToHost(SDL_Window* host, const plk::gdi::PixelSurface& surface) {
  SDL_Surface* target = SDL_GetWindowSurface(host);
  if (!target || !surface.pixels) return;
  // The host may already have a new size that WM_SIZE has not reached yet.
  const int width = std::min(surface.width, target->w);
  const int height = std::min(surface.height, target->h);
  if (width <= 0 || height <= 0) return;
  if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
  SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, surface.pixels, surface.stride * 4,
                    target->format->format, target->pixels, target->pitch);
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  SDL_UpdateWindowSurface(host);
  Trace("present %dx%d", width, height);
}

void SetHostIcon(SDL_Window* host, HICON icon) {
  const EmbeddedResource* resource = IconResource(icon);
  if (!host || !resource) return;
  SDL_RWops* stream = SDL_RWFromConstMem(resource->bytes, static_cast<int>(resource->size));
  SDL_Surface* image = stream ? SDL_LoadBMP_RW(stream, 1) : nullptr;
  if (!image) return;
  SDL_SetWindowIcon(host, image);
  SDL_FreeSurface(image);
}

}  // namespace plk::user32
