// Implements: MessageBoxA as a modal box with an OK button (SDL's message box, owned by
// the owner's host window; the caller's thread blocks, so no message of its queue is
// handled meanwhile). Without a visible display the text goes to stderr. Both return
// IDOK. Tests may collect the boxes instead of showing them.
// Does not implement: buttons other than OK, MB_DEFBUTTON*, system-modal boxes.
#include "user32/sdl_video.h"
#include "user32/testing/user32_testing.h"
#include "user32/window.h"
#include "user32/window_pixels.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>

namespace plk::user32 {
namespace {

struct MessageBoxLog {
  std::mutex mutex;
  bool intercepting = false;
  std::vector<testing::ShownMessageBox> shown;
};

MessageBoxLog& Log() {
  static MessageBoxLog log;
  return log;
}

Uint32 SdlFlags(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
  }
}

}  // namespace

namespace testing {

void InterceptMessageBoxes(bool intercept) {
  std::lock_guard lock(Log().mutex);
  Log().intercepting = intercept;
  Log().shown.clear();
}

std::vector<ShownMessageBox> TakeMessageBoxes() {
  std::lock_guard lock(Log().mutex);
  std::vector<ShownMessageBox> shown;
  shown.swap(Log().shown);
  return shown;
}

}  // namespace testing
}  // namespace plk::user32

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  using namespace plk::user32;
  const char* body = text ? text : "";
  const char* title = caption ? caption : "Error";  // Windows' title for a null caption
  {
    MessageBoxLog& log = Log();
    std::lock_guard lock(log.mutex);
    if (log.intercepting) {
      log.shown.push_back({owner, body, caption ? caption : "", type});
      return IDOK;
    }
  }
  SDL_Window* host = nullptr;
  if (Window* window = FindWindowObject(owner)) {
    if (Window* top = TopLevelOf(*window); top->pixels) host = top->pixels->host;
  }
  if (!SdlVideoHeadless() && SDL_ShowSimpleMessageBox(SdlFlags(type), title, body, host) == 0) {
    return IDOK;
  }
  std::fprintf(stderr, "%s%s%s\n", title, *title ? ": " : "", body);
  return IDOK;
}
