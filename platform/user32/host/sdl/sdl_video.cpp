// Implements: lazy start of SDL's event and video subsystems (a real display unless a
// driver is asked for, presented through the host's framebuffer rather than OpenGL, no
// text input, no compose table), whether video runs and on which thread, headless drivers, the
// first display's bounds (in window pixels at the presentation scale), and SIGHUP as the host's
// request to end (SDL itself turns SIGINT and SIGTERM into one).
// Does not implement: shutting SDL down (the process exit does), several displays.
#include "user32/host/host.h"
#include "user32/host/host_scale.h"
#include "user32/host/sdl/host_wait.h"
#include "user32/host/sdl/sdl_host.h"
#include "user32/trace.h"

#include <signal.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

namespace plk::user32 {
namespace {

struct VideoState {
  bool eventsUp = false;
  bool videoTried = false;
  bool videoUp = false;
  std::string videoFailure;
  std::thread::id videoThread;
};

VideoState& State() {
  static VideoState state;
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

// Sets an environment variable until the end of the scope, then puts back what was there.
class EnvironmentOverride {
 public:
  EnvironmentOverride(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value, 1);
  }
  ~EnvironmentOverride() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

void OnHangUp(int) { NoteHostHangUp(); }

// A terminal closing, or a session manager, hangs up: the program ends as on SIGTERM.
void CatchHangUp() {
  struct sigaction action {};
  action.sa_handler = OnHangUp;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGHUP, &action, nullptr);
}

bool StartVideoOnce(std::string& failure) {
  EnsureSdlEvents();
  CatchHangUp();
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
  // The program reads its keys itself and never asks SDL for text, yet SDL's X11 driver
  // opens an input method, which first parses the locale's whole compose table (that of
  // en_US.UTF-8 has 5,700 lines): about a third of the display's start. An empty table
  // takes its place for the video start only; the environment is then as the user left it.
  const EnvironmentOverride noComposeTable("XCOMPOSEFILE", "/dev/null");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    failure = asked.empty() ? DisplayFailure() : "video driver " + asked + " does not start";
    return false;
  }
  return true;
}

}  // namespace

bool EnsureSdlEvents() {
  VideoState& state = State();
  if (!state.eventsUp) {
    // The program closes its windows itself on WM_CLOSE; SDL must not quit on its own.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    state.eventsUp = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
  }
  return state.eventsUp;
}

bool StartHostVideo(std::string& failure) {
  VideoState& state = State();
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

bool HostVideoActive() { return State().videoUp; }

bool OnHostVideoThread() {
  return State().videoUp && State().videoThread == std::this_thread::get_id();
}

bool HostVideoHeadless() {
  if (!State().videoUp) return true;
  const char* driver = SDL_GetCurrentVideoDriver();
  return !driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

std::optional<RECT> HostScreenBounds() {
  SDL_Rect bounds{0, 0, 0, 0};
  if (!State().videoUp || SDL_GetDisplayBounds(0, &bounds) != 0) return std::nullopt;
  const POINT topLeft = ScaleDown({bounds.x, bounds.y}, HostScale());
  const POINT bottomRight = ScaleDown({bounds.x + bounds.w, bounds.y + bounds.h}, HostScale());
  return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

}  // namespace plk::user32
