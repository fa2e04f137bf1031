// Implements: SDL events turned into the input messages Windows would post: keys
// (WM_KEYDOWN/UP, or WM_SYSKEYDOWN/UP with Alt and for F10) to the focus window, left and
// right buttons to the window under the pointer in client coordinates, presses on the
// scroll bar as non-client messages (the pointer stays captured until release), the
// wheel (120 per notch) to the focus window, the close box as WM_CLOSE, drops as
// WM_DROPFILES for windows that accept files, host resizes as WM_SIZE, focus changes,
// exposure (presented again), keymap changes (layout detected again); cross-thread
// wake-ups for WaitMessage; no asking the host while it has nothing to say.
// Does not implement: WM_MOUSEMOVE (the program has no use for it), double clicks,
// middle and extra buttons, horizontal wheels, text input events.
#include "shell32/drop_files.h"
#include "user32/focus.h"
#include "user32/host_wait.h"
#include "user32/keyboard_map.h"
#include "user32/message_queue.h"
#include "user32/non_client.h"
#include "user32/sdl_video.h"
#include "user32/window.h"
#include "user32/window_geometry.h"
#include "user32/window_pixels.h"

#include <SDL.h>

#include <atomic>
#include <string>
#include <vector>

namespace plk::user32 {
namespace {

struct HostEvents {
  HWND scrollCapture = nullptr;  // the window whose scroll bar the button went down on
  bool collectingDrop = false;
  Uint32 dropWindow = 0;
  std::vector<std::string> droppedFiles;
  bool layoutDetected = false;
};

HostEvents& Events() {
  thread_local HostEvents events;
  return events;
}

std::atomic<Uint32>& WakeEventType() {
  static std::atomic<Uint32> type{0};
  return type;
}

Window* TopLevelOfHost(Uint32 windowId) { return FindWindowObject(WindowOfHost(windowId)); }

void PostInputTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Window* target = FindWindowObject(window)) {
    target->queue->PostInput(MSG{window, message, wParam, lParam, 0, {}});
  }
}

HWND KeyboardTarget(HWND topLevel) {
  const HWND focus = GetFocus();
  return focus && IsDescendant(focus, topLevel) ? focus : topLevel;
}

WPARAM MouseKeyFlags(bool leftDown) {
  const SDL_Keymod mods = SDL_GetModState();
  WPARAM flags = leftDown ? MK_LBUTTON : 0;
  if (mods & KMOD_SHIFT) flags |= MK_SHIFT;
  if (mods & KMOD_CTRL) flags |= MK_CONTROL;
  return flags;
}

LPARAM ScreenPoint(const Window& topLevel, int x, int y) {
  const POINT origin = ClientOriginOnScreen(topLevel);
  return MAKELPARAM(origin.x + x, origin.y + y);
}

void OnKey(const SDL_KeyboardEvent& event) {
  Window* top = TopLevelOfHost(event.windowID);
  if (!top) return;
  const KeyCode key = MapScancode(ActiveKeyboardLayout(), event.keysym.scancode);
  if (!key.virtualKey) return;
  const bool down = event.type == SDL_KEYDOWN;
  const bool alt = (event.keysym.mod & KMOD_ALT) || key.virtualKey == VK_MENU;
  const bool control = (event.keysym.mod & KMOD_CTRL) != 0;
  const bool system = (alt && !control) || key.virtualKey == VK_F10;
  LPARAM lParam = KeyMessageLParam(key, down, event.repeat != 0);
  if (alt && !control) lParam |= 1 << 29;  // context code: Alt is held
  const UINT message =
      system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  PostInputTo(KeyboardTarget(top->handle), message, static_cast<WPARAM>(key.virtualKey), lParam);
}

void OnMouseButton(const SDL_MouseButtonEvent& event) {
  Window* top = TopLevelOfHost(event.windowID);
  if (!top) return;
  HostEvents& events = Events();
  const bool down = event.type == SDL_MOUSEBUTTONDOWN;
  const bool left = event.button == SDL_BUTTON_LEFT;
  if (left && events.scrollCapture) {
    if (!down) {
      PostInputTo(events.scrollCapture, kWmNcLButtonUp, kHtVScroll,
                  ScreenPoint(*top, event.x, event.y));
      events.scrollCapture = nullptr;
    }
    return;
  }
  const SIZE client = ClientSize(*top);
  const bool onScrollBar = (top->style & WS_VSCROLL) && event.x >= client.cx &&
                           event.x < client.cx + kScrollBarWidth && event.y >= 0 &&
                           event.y < client.cy;
  if (left && down && onScrollBar) {
    events.scrollCapture = top->handle;
    PostInputTo(top->handle, kWmNcLButtonDown, kHtVScroll, ScreenPoint(*top, event.x, event.y));
    return;
  }
  if (event.x < 0 || event.y < 0 || event.x >= client.cx || event.y >= client.cy) return;
  if (!left && event.button != SDL_BUTTON_RIGHT) return;
  POINT point = {event.x, event.y};
  const HWND target = ChildWindowAt(top->handle, point);
  const UINT message =
      left ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
  PostInputTo(target, message, MouseKeyFlags(left && down), MAKELPARAM(point.x, point.y));
}

void OnMouseMotion(const SDL_MouseMotionEvent& event) {
  HostEvents& events = Events();
  Window* top = TopLevelOfHost(event.windowID);
  if (!events.scrollCapture || !top) return;
  PostInputTo(events.scrollCapture, kWmNcMouseMove, kHtVScroll,
              ScreenPoint(*top, event.x, event.y));
}

void OnWheel(const SDL_MouseWheelEvent& event) {
  Window* top = TopLevelOfHost(event.windowID);
  if (!top || event.y == 0) return;
  int notches = event.y;
  if (event.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
  int x = 0;
  int y = 0;
  SDL_GetMouseState(&x, &y);
  const auto delta = static_cast<WORD>(static_cast<SHORT>(notches * WHEEL_DELTA));
  PostInputTo(KeyboardTarget(top->handle), WM_MOUSEWHEEL, MAKEWPARAM(MouseKeyFlags(false), delta),
              ScreenPoint(*top, x, y));
}

void OnHostResized(Window& top, int width, int height) {
  const Frame frame = BorderFrame(top.style, false);
  const RECT rect = {top.rect.left, top.rect.top, top.rect.left + frame.left + width + frame.right,
                     top.rect.top + frame.top + height + frame.bottom};
  ApplyGeometry(top.handle, rect, top.style, 0);
}

void OnHostMoved(Window& top, int x, int y) {
  const RECT area = ClientAreaInWindow(top);
  top.rect = OffsetRectBy(top.rect, x - (top.rect.left + area.left), y - (top.rect.top + area.top));
}

void OnWindowEvent(const SDL_WindowEvent& event) {
  Window* top = TopLevelOfHost(event.windowID);
  if (!top) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE: PostInputTo(top->handle, WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: ActivateWindow(top->handle); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: DeactivateWindow(top->handle); break;
    case SDL_WINDOWEVENT_EXPOSED:
      if (top->pixels) top->pixels->Present();
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: OnHostResized(*top, event.data1, event.data2); break;
    case SDL_WINDOWEVENT_MOVED: OnHostMoved(*top, event.data1, event.data2); break;
    default: break;
  }
}

void FinishDrop() {
  HostEvents& events = Events();
  Window* top = TopLevelOfHost(events.dropWindow);
  std::vector<std::string> files;
  files.swap(events.droppedFiles);
  events.collectingDrop = false;
  if (!top || files.empty() || !(top->exStyle & WS_EX_ACCEPTFILES)) return;
  int x = 0;
  int y = 0;
  SDL_GetMouseState(&x, &y);
  const HDROP drop = plk::shell32::CreateDrop(std::move(files), POINT{x, y});
  PostInputTo(top->handle, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

void OnDrop(const SDL_DropEvent& event) {
  HostEvents& events = Events();
  switch (event.type) {
    case SDL_DROPBEGIN:
      events.collectingDrop = true;
      events.dropWindow = event.windowID;
      events.droppedFiles.clear();
      break;
    case SDL_DROPFILE:
      if (event.file) events.droppedFiles.emplace_back(event.file);
      events.dropWindow = event.windowID;
      if (!events.collectingDrop) FinishDrop();
      break;
    case SDL_DROPCOMPLETE: FinishDrop(); break;
    default: break;
  }
  SDL_free(event.file);
}

// SIGINT/SIGTERM reach SDL as SDL_QUIT: close every window as its close box would.
void OnQuit() {
  for (HWND handle : AllWindowHandles()) {
    Window* window = FindWindowObject(handle);
    if (window && !window->parent && window->queue.get() == &CurrentQueue()) {
      PostInputTo(handle, WM_CLOSE, 0, 0);
    }
  }
}

void HandleHostEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: OnKey(event.key); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: OnMouseButton(event.button); break;
    case SDL_MOUSEMOTION: OnMouseMotion(event.motion); break;
    case SDL_MOUSEWHEEL: OnWheel(event.wheel); break;
    case SDL_WINDOWEVENT: OnWindowEvent(event.window); break;
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPCOMPLETE: OnDrop(event.drop); break;
    case SDL_KEYMAPCHANGED: SetActiveKeyboardLayout(DetectKeyboardLayout()); break;
    case SDL_QUIT: OnQuit(); break;
    default: break;
  }
}

}  // namespace

void PumpHostEvents() {
  if (!OnVideoThread()) return;
  HostEvents& events = Events();
  if (!events.layoutDetected) {
    events.layoutDetected = true;
    SetActiveKeyboardLayout(DetectKeyboardLayout());
  }
  // NOTE: asking SDL to take in host events costs system calls (on X11, several reads of
  // the connection), so it is asked only when the host has something (host_wait.h);
  // events that SDL already holds are handled at once.
  if (HostShouldBeAsked()) {
    SDL_PumpEvents();
    NoteHostAsked();
  }
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    HandleHostEvent(event);
  }
}

void WakeHostWait() {
  if (!SdlVideoActive() || WakeHostInputWait()) return;
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
