// Implements: SDL events as host events (keys by scan code with their modifiers, left
// and right buttons, pointer motion, the wheel with its direction set right, the close
// box, focus, minimising and restoring, exposure, size and position changes, keymap
// changes, whole drops with their files, and SDL_QUIT, which SIGINT and SIGTERM raise),
// waiting for them, and cross-thread wake-ups. Positions and sizes are divided by the
// presentation scale, so they are in window pixels.
// Does not implement: text input, touch, controllers, the middle and extra buttons
// (reported as Other), horizontal wheels.
#include "user32/host/host.h"
#include "user32/host/host_scale.h"
#include "user32/host/sdl/host_wait.h"
#include "user32/host/sdl/sdl_host.h"

#include <atomic>

namespace plk::user32 {
namespace {

// A drop of several files arrives as one event per file between a begin and a complete.
struct PendingDrop {
  bool collecting = false;
  Uint32 windowId = 0;
  std::vector<std::string> files;
};

PendingDrop& Drop() {
  thread_local PendingDrop drop;
  return drop;
}

std::atomic<Uint32>& WakeEventType() {
  static std::atomic<Uint32> type{0};
  return type;
}

HWND WindowOfId(Uint32 id) {
  HostWindow* host = HostWindowOfId(id);
  return host ? host->window : nullptr;
}

void TakeModifiers(HostEvent& out, SDL_Keymod mods) {
  out.shift = (mods & KMOD_SHIFT) != 0;
  out.control = (mods & KMOD_CTRL) != 0;
  out.alt = (mods & KMOD_ALT) != 0;
}

POINT WindowPixel(int x, int y) { return ScaleDown({x, y}, HostScale()); }

void AtPointer(HostEvent& out) {
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  out.point = WindowPixel(x, y);
  TakeModifiers(out, SDL_GetModState());
}

bool FromKey(const SDL_KeyboardEvent& event, HostEvent& out) {
  const ScanCode code = ScanCodeOf(event.keysym.scancode);
  out.kind = HostEvent::Kind::Key;
  out.window = WindowOfId(event.windowID);
  out.scanCode = code.code;
  out.extended = code.extended;
  out.down = event.type == SDL_KEYDOWN;
  out.repeat = event.repeat != 0;
  TakeModifiers(out, static_cast<SDL_Keymod>(event.keysym.mod));
  return true;
}

bool FromButton(const SDL_MouseButtonEvent& event, HostEvent& out) {
  out.kind = HostEvent::Kind::Button;
  out.window = WindowOfId(event.windowID);
  out.button = event.button == SDL_BUTTON_LEFT    ? HostEvent::Button::Left
               : event.button == SDL_BUTTON_RIGHT ? HostEvent::Button::Right
                                                  : HostEvent::Button::Other;
  out.down = event.type == SDL_MOUSEBUTTONDOWN;
  out.point = WindowPixel(event.x, event.y);
  TakeModifiers(out, SDL_GetModState());
  return true;
}

bool FromWheel(const SDL_MouseWheelEvent& event, HostEvent& out) {
  if (event.y == 0) return false;
  out.kind = HostEvent::Kind::Wheel;
  out.window = WindowOfId(event.windowID);
  out.notches = event.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.y : event.y;
  AtPointer(out);
  return true;
}

bool FromWindowEvent(const SDL_WindowEvent& event, HostEvent& out) {
  using Kind = HostEvent::Kind;
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE: out.kind = Kind::Close; break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: out.kind = Kind::FocusGained; break;
    case SDL_WINDOWEVENT_FOCUS_LOST: out.kind = Kind::FocusLost; break;
    case SDL_WINDOWEVENT_MINIMIZED: out.kind = Kind::Minimized; break;
    case SDL_WINDOWEVENT_RESTORED: out.kind = Kind::Restored; break;
    case SDL_WINDOWEVENT_EXPOSED: out.kind = Kind::Exposed; break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: out.kind = Kind::Resized; break;
    case SDL_WINDOWEVENT_MOVED: out.kind = Kind::Moved; break;
    default: return false;
  }
  out.window = WindowOfId(event.windowID);
  out.point = WindowPixel(event.data1, event.data2);
  return true;
}

bool FinishDrop(HostEvent& out) {
  PendingDrop& drop = Drop();
  drop.collecting = false;
  out.kind = HostEvent::Kind::Drop;
  out.window = WindowOfId(drop.windowId);
  out.files.swap(drop.files);
  drop.files.clear();
  AtPointer(out);
  return true;
}

bool FromDrop(const SDL_DropEvent& event, HostEvent& out) {
  PendingDrop& drop = Drop();
  bool finished = false;
  switch (event.type) {
    case SDL_DROPBEGIN:
      drop.collecting = true;
      drop.windowId = event.windowID;
      drop.files.clear();
      break;
    case SDL_DROPFILE:
      if (event.file) drop.files.emplace_back(event.file);
      drop.windowId = event.windowID;
      finished = !drop.collecting && FinishDrop(out);
      break;
    case SDL_DROPCOMPLETE: finished = FinishDrop(out); break;
    default: break;
  }
  SDL_free(event.file);
  return finished;
}

bool Translate(const SDL_Event& event, HostEvent& out) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: return FromKey(event.key, out);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return FromButton(event.button, out);
    case SDL_MOUSEMOTION:
      out.kind = HostEvent::Kind::Motion;
      out.window = WindowOfId(event.motion.windowID);
      out.point = WindowPixel(event.motion.x, event.motion.y);
      return true;
    case SDL_MOUSEWHEEL: return FromWheel(event.wheel, out);
    case SDL_WINDOWEVENT: return FromWindowEvent(event.window, out);
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPCOMPLETE: return FromDrop(event.drop, out);
    case SDL_KEYMAPCHANGED: out.kind = HostEvent::Kind::LayoutChanged; return true;
    case SDL_QUIT: out.kind = HostEvent::Kind::Quit; return true;
    default: return false;
  }
}

}  // namespace

// NOTE: asking SDL to take in host events costs system calls (on X11, several reads of
// the connection), so it is asked only when the host has something (host_wait.h); events
// that SDL already holds are handled at once.
bool PollHostEvent(HostEvent& event) {
  if (HostConnectionLost()) return false;
  if (TakeHostHangUp()) {
    event = HostEvent{};
    event.kind = HostEvent::Kind::Quit;
    return true;
  }
  SDL_Event sdl;
  for (;;) {
    if (SDL_PeepEvents(&sdl, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0) {
      if (!HostShouldBeAsked()) return false;
      SDL_PumpEvents();
      NoteHostAsked();
      if (SDL_PeepEvents(&sdl, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0) return false;
    }
    event = HostEvent{};
    if (Translate(sdl, event)) return true;
  }
}

void WaitForHostEvent(std::optional<std::chrono::milliseconds> timeout) {
  if (WaitForHostInput(timeout)) return;
  const int ms = timeout ? static_cast<int>(timeout->count()) : -1;
  if (SDL_WaitEventTimeout(nullptr, ms) == 0) NoteHostAsked();  // it had nothing to say
}

void WakeHostWait() {
  if (!HostVideoActive() || WakeHostInputWait()) return;
  Uint32 type = WakeEventType();
  if (type == 0) {
    type = SDL_RegisterEvents(1);
    if (type == static_cast<Uint32>(-1)) return;
    WakeEventType() = type;
  }
  SDL_Event wake{};
  wake.type = type;
  SDL_PushEvent(&wake);
}

}  // namespace plk::user32
