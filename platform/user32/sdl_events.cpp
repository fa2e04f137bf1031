// Implements: SDL events turned into the input messages Windows would queue, addressed
// when they are taken (input_routing.h): keys (WM_KEYDOWN/UP, or WM_SYSKEYDOWN/UP with Alt
// and for F10) and the wheel (120 per notch) for the focus window, left and right buttons
// for the window under the pointer, presses on the scroll bar as non-client messages (the
// pointer stays captured until release), the close box as WM_CLOSE, drops as WM_DROPFILES
// for windows that accept files, host resizes as WM_SIZE, minimising and restoring,
// focus changes (a disabled window raises its modal box instead), exposure (presented
// again), keymap changes (layout detected again); cross-thread wake-ups for WaitMessage.
// Does not implement: WM_MOUSEMOVE (the program has no use for it), double clicks,
// middle and extra buttons, horizontal wheels, text input events.
#include "shell32/drop_files.h"
#include "user32/focus.h"
#include "user32/input_routing.h"
#include "user32/keyboard_map.h"
#include "user32/message_queue.h"
#include "user32/non_client.h"
#include "user32/sdl_video.h"
#include "user32/trace.h"
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
  QueueInput(window, InputRoute::kFixed, message, wParam, lParam);
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
  QueueInput(top->handle, InputRoute::kFocus, message, static_cast<WPARAM>(key.virtualKey), lParam);
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
  if (!left && event.button != SDL_BUTTON_RIGHT) return;
  const UINT message =
      left ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
  QueueInput(top->handle, InputRoute::kPointer, message, MouseKeyFlags(left && down),
             MAKELPARAM(event.x, event.y));
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
  QueueInput(top->handle, InputRoute::kFocus, WM_MOUSEWHEEL,
             MAKEWPARAM(MouseKeyFlags(false), delta), ScreenPoint(*top, x, y));
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

// A click on a window disabled under a modal box brings the box to the front.
void OnFocusGained(const Window& top) {
  if (!AcceptsInput(top.handle)) {
    Window* popup = FindWindowObject(EnabledOwnedWindow(top.handle));
    if (popup && popup->pixels) RaiseHostWindow(popup->pixels->host);
  }
  ActivateWindow(top.handle);
}

void OnWindowEvent(const SDL_WindowEvent& event) {
  Window* top = TopLevelOfHost(event.windowID);
  if (!top) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      Trace("host asks %p to close", static_cast<void*>(top->handle));
      PostInputTo(top->handle, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: OnFocusGained(*top); break;
    case SDL_WINDOWEVENT_MINIMIZED: SetMinimized(top->handle, true); break;
    case SDL_WINDOWEVENT_RESTORED: SetMinimized(top->handle, false); break;
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

// SIGINT/SIGTERM reach SDL as SDL_QUIT: close every window as its close box would, the
// newest first, so that a modal box ends before its disabled owner is asked.
void OnQuit() {
  Trace("host asks every window to close");
  const std::vector<HWND> handles = AllWindowHandles();
  for (auto handle = handles.rbegin(); handle != handles.rend(); ++handle) {
    Window* window = FindWindowObject(*handle);
    if (window && !window->parent && window->queue.get() == &CurrentQueue()) {
      PostMessageA(*handle, WM_CLOSE, 0, 0);
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
  SDL_Event event;
  while (SDL_PollEvent(&event)) HandleHostEvent(event);
}

void WakeHostWait() {
  if (!SdlVideoActive()) return;
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
