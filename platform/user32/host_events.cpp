// Implements: host events turned into the input messages Windows would queue, addressed
// when they are taken (input_routing.h): keys (WM_KEYDOWN/UP, or WM_SYSKEYDOWN/UP with Alt
// and for F10) and the wheel (120 per notch) for the focus window, left and right buttons
// for the window under the pointer, presses on the scroll bar as non-client messages (the
// pointer stays captured until release), the close box as WM_CLOSE, drops as WM_DROPFILES
// for windows that accept files, host resizes as WM_SIZE, minimising and restoring,
// focus changes (a disabled window raises its modal box instead), exposure (presented
// again), keymap changes (layout detected again), and the host's request to end and the
// loss of the display as the end of the session (WM_QUERYENDSESSION, WM_ENDSESSION; after
// a request every window is then asked to close).
// WM_MOUSEMOVE only while a window holds the mouse capture (a popup menu does).
// Does not implement: WM_MOUSEMOVE without a capture (the program has no use for it), double
// clicks, middle and extra buttons, horizontal wheels, text input events.
#include "user32/host_events.h"

#include "user32/drop_block.h"
#include "user32/focus.h"
#include "user32/mouse_capture.h"
#include "user32/window_class.h"
#include "user32/host/host.h"
#include "user32/input_routing.h"
#include "user32/keyboard_map.h"
#include "user32/message_queue.h"
#include "user32/non_client.h"
#include "user32/trace.h"
#include "user32/window.h"
#include "user32/window_enable.h"
#include "user32/window_geometry.h"
#include "user32/window_pixels.h"
#include "user32/window_rects.h"

#include <vector>

namespace plk::user32 {
namespace {

struct HostInput {
  HWND scrollCapture = nullptr;  // the window whose scroll bar the button went down on
  bool layoutDetected = false;
};

HostInput& Input() {
  thread_local HostInput input;
  return input;
}

void PostInputTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  QueueInput(window, InputRoute::kFixed, message, wParam, lParam);
}

WPARAM MouseKeyFlags(const HostEvent& event, bool leftDown) {
  WPARAM flags = leftDown ? MK_LBUTTON : 0;
  if (event.shift) flags |= MK_SHIFT;
  if (event.control) flags |= MK_CONTROL;
  return flags;
}

LPARAM ScreenPoint(const Window& topLevel, POINT point) {
  const POINT origin = ClientOriginOnScreen(topLevel);
  return MAKELPARAM(origin.x + point.x, origin.y + point.y);
}

void OnKey(Window& top, const HostEvent& event) {
  const KeyCode key = MapScanCode(ActiveKeyboardLayout(), event.scanCode, event.extended);
  if (!key.virtualKey) return;
  const bool alt = event.alt || key.virtualKey == VK_MENU;
  const bool system = (alt && !event.control) || key.virtualKey == VK_F10;
  LPARAM lParam = KeyMessageLParam(key, event.down, event.repeat);
  if (alt && !event.control) lParam |= 1 << 29;  // context code: Alt is held
  const UINT message =
      system ? (event.down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (event.down ? WM_KEYDOWN : WM_KEYUP);
  QueueInput(top.handle, InputRoute::kFocus, message, static_cast<WPARAM>(key.virtualKey), lParam);
}

void OnButton(Window& top, const HostEvent& event) {
  HostInput& input = Input();
  const bool down = event.down;
  const bool left = event.button == HostEvent::Button::Left;
  const POINT at = event.point;
  if (left && input.scrollCapture) {
    if (!down) {
      PostInputTo(input.scrollCapture, kWmNcLButtonUp, kHtVScroll, ScreenPoint(top, at));
      input.scrollCapture = nullptr;
    }
    return;
  }
  const SIZE client = ClientSize(top);
  const bool onScrollBar = (top.style & WS_VSCROLL) && at.x >= client.cx &&
                           at.x < client.cx + kScrollBarWidth && at.y >= 0 && at.y < client.cy;
  if (left && down && onScrollBar) {
    input.scrollCapture = top.handle;
    PostInputTo(top.handle, kWmNcLButtonDown, kHtVScroll, ScreenPoint(top, at));
    return;
  }
  if (event.button == HostEvent::Button::Other) return;
  Trace("host %s button %s at %d,%d", left ? "left" : "right", down ? "down" : "up", at.x, at.y);
  const UINT message =
      left ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
  QueueInput(top.handle, InputRoute::kPointer, message, MouseKeyFlags(event, left && down),
             MAKELPARAM(at.x, at.y));
}

void OnMotion(Window& top, const HostEvent& event) {
  if (HWND capture = Input().scrollCapture) {
    PostInputTo(capture, kWmNcMouseMove, kHtVScroll, ScreenPoint(top, event.point));
  } else if (MouseCapture()) {  // a menu follows the pointer
    QueueInput(top.handle, InputRoute::kPointer, WM_MOUSEMOVE, MouseKeyFlags(event, false),
               MAKELPARAM(event.point.x, event.point.y));
  }
}

void OnWheel(Window& top, const HostEvent& event) {
  const auto delta = static_cast<WORD>(static_cast<SHORT>(event.notches * WHEEL_DELTA));
  QueueInput(top.handle, InputRoute::kFocus, WM_MOUSEWHEEL,
             MAKEWPARAM(MouseKeyFlags(event, false), delta), ScreenPoint(top, event.point));
}

void OnDrop(Window& top, HostEvent& event) {
  if (event.files.empty() || !(top.exStyle & WS_EX_ACCEPTFILES)) return;
  const HDROP drop = BuildDropBlock(event.files, event.point);
  PostInputTo(top.handle, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

void OnHostResized(Window& top, SIZE pixels) {
  const Frame frame = BorderFrame(top.style, false);
  const RECT rect = {top.rect.left, top.rect.top,
                     top.rect.left + frame.left + pixels.cx + frame.right,
                     top.rect.top + frame.top + pixels.cy + frame.bottom};
  ApplyGeometry(top.handle, rect, top.style, 0);
}

void OnHostMoved(Window& top, POINT client) {
  const RECT area = ClientAreaInWindow(top);
  top.rect = OffsetRectBy(top.rect, client.x - (top.rect.left + area.left),
                          client.y - (top.rect.top + area.top));
}

// A click on a window disabled under a modal box brings the box to the front.
void OnFocusGained(const Window& top) {
  if (!AcceptsInput(top.handle)) {
    Window* popup = FindWindowObject(EnabledOwnedWindow(top.handle));
    if (popup && popup->pixels) RaiseHostWindow(popup->pixels->host);
  }
  ActivateWindow(top.handle);
}

bool IsPopupMenu(const Window& window) {
  return window.windowClass && window.windowClass->popupMenu;
}

// This thread's top-level windows, the newest first.
std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> topLevel;
  const std::vector<HWND> handles = AllWindowHandles();
  for (auto handle = handles.rbegin(); handle != handles.rend(); ++handle) {
    Window* window = FindWindowObject(*handle);
    if (window && !window->parent && window->queue.get() == &CurrentQueue()) {
      topLevel.push_back(*handle);
    }
  }
  return topLevel;
}

// As Windows ends a session: every window is asked whether it may end, then told whether
// it does. A window that is destroyed meanwhile is skipped.
void EndSession(const std::vector<HWND>& windows) {
  bool ending = true;
  for (HWND window : windows) {
    if (FindWindowObject(window) && !SendMessageA(window, WM_QUERYENDSESSION, 0, 0)) {
      ending = false;
    }
  }
  for (HWND window : windows) {
    if (FindWindowObject(window)) SendMessageA(window, WM_ENDSESSION, ending ? TRUE : FALSE, 0);
  }
}

// SIGHUP, SIGINT and SIGTERM reach the host as a request to end: the session ends, then
// every window is closed as its close box would, the newest first, so that a modal box
// ends before its disabled owner is asked.
void OnQuit() {
  Trace("host ends the session and asks every window to close");
  const std::vector<HWND> windows = TopLevelWindows();
  EndSession(windows);
  for (HWND window : windows) PostMessageA(window, WM_CLOSE, 0, 0);
}

void OnWindowEvent(Window& top, HostEvent& event) {
  using Kind = HostEvent::Kind;
  switch (event.kind) {
    case Kind::Key: OnKey(top, event); break;
    case Kind::Button: OnButton(top, event); break;
    case Kind::Motion: OnMotion(top, event); break;
    case Kind::Wheel: OnWheel(top, event); break;
    case Kind::Drop: OnDrop(top, event); break;
    case Kind::Close:
      Trace("host asks %p to close", static_cast<void*>(top.handle));
      PostInputTo(top.handle, WM_CLOSE, 0, 0);
      break;
    // A popup menu is never active: SDL may still report the focus it took for a moment.
    case Kind::FocusGained:
      if (!IsPopupMenu(top)) OnFocusGained(top);
      break;
    case Kind::FocusLost:
      if (!IsPopupMenu(top)) DeactivateWindow(top.handle);
      break;
    case Kind::Minimized: SetMinimized(top.handle, true); break;
    case Kind::Restored: SetMinimized(top.handle, false); break;
    case Kind::Exposed:
      if (top.pixels) top.pixels->Present();
      break;
    case Kind::Resized: OnHostResized(top, {event.point.x, event.point.y}); break;
    case Kind::Moved: OnHostMoved(top, event.point); break;
    default: break;
  }
}

void HandleHostEvent(HostEvent& event) {
  if (event.kind == HostEvent::Kind::LayoutChanged) {
    SetActiveKeyboardLayout(DetectKeyboardLayout());
  } else if (event.kind == HostEvent::Kind::Quit) {
    OnQuit();
  } else if (Window* top = FindWindowObject(event.window)) {
    OnWindowEvent(*top, event);
  }
}

}  // namespace

void EndSessionOnDisplayLoss() {
  Trace("the display is gone: the session ends");
  EndSession(TopLevelWindows());
}

void PumpHostEvents() {
  if (!OnHostVideoThread()) return;
  HostInput& input = Input();
  if (!input.layoutDetected) {
    input.layoutDetected = true;
    SetActiveKeyboardLayout(DetectKeyboardLayout());
  }
  HostEvent event;
  while (PollHostEvent(event)) HandleHostEvent(event);
}

}  // namespace plk::user32
