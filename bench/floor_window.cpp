// The floors that bench/app_startup_idle.sh measures Plinkaro against, in the same run:
//   floor_window       what a first frame cannot do without: SDL's video up with the
//                      program's hints, a 497 x 768 window shown, its window surface filled
//                      and presented; then the idle of a 10 ms timer (a poll of the display
//                      connection that times out), as the program idles
//   floor_window poll  only that 10 ms poll loop, with no window
// "present @MS" goes to stderr after the first present, as PLINKARO_TRACE=user32 reports
// the program's, stamped with the same steady clock. Runs until killed.
#include <SDL.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstring>

// Last: Xlib's macros would clash with names in the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace {

constexpr int kPollMs = 10;

[[noreturn]] void IdleOn(int descriptor) {
  pollfd watched = {descriptor, POLLIN, 0};
  for (;;) {
    if (poll(&watched, descriptor >= 0 ? 1 : 0, kPollMs) > 0) SDL_PumpEvents();
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "poll") == 0) IdleOn(-1);
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Ended by the bench with SIGTERM, which SDL would otherwise turn into an event.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "floor_window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                        497, 768, SDL_WINDOW_HIDDEN);
  if (!window) {
    std::fprintf(stderr, "floor_window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_ShowWindow(window);
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0xd4, 0xd0, 0xc8));
  SDL_UpdateWindowSurface(window);
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  std::fprintf(stderr, "present @%.3f\n", std::chrono::duration<double, std::milli>(now).count());
  std::fflush(stderr);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  IdleOn(SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11
             ? ConnectionNumber(info.info.x11.display)
             : -1);
}
