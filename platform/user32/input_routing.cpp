// Implements: input addressed when it leaves the queue (keys and the wheel to the focus
// window, buttons to the capture window or the deepest shown child under the pointer, in
// its client coordinates), input for disabled windows dropped, and the mouse capture that
// user32's own controls take while a button is held.
// Does not implement: SetCapture/GetCapture/ReleaseCapture as exported functions,
// WM_CAPTURECHANGED, hit testing across top-level windows (a click belongs to the host
// window it arrived at), keys going to the active window as WM_SYSKEY* without a focus.
#include "user32/input_routing.h"

#include "user32/message_queue.h"
#include "user32/window.h"
#include "user32/window_geometry.h"

namespace plk::user32 {
namespace {

thread_local HWND captureWindow = nullptr;

POINT PointOf(LPARAM lParam) {
  return {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

bool AddressPointer(MSG& message) {
  Window* top = FindWindowObject(message.hwnd);
  if (!top) return false;
  POINT point = PointOf(message.lParam);
  HWND target = MouseCapture();
  if (Window* capture = FindWindowObject(target)) {
    const POINT from = ClientOriginOnScreen(*top);
    const POINT to = ClientOriginOnScreen(*capture);
    point = {point.x + from.x - to.x, point.y + from.y - to.y};
  } else {
    const SIZE client = ClientSize(*top);
    if (point.x < 0 || point.y < 0 || point.x >= client.cx || point.y >= client.cy) return false;
    target = ChildWindowAt(message.hwnd, point);
  }
  message.hwnd = target;
  message.lParam = MAKELPARAM(point.x, point.y);
  return true;
}

}  // namespace

void QueueInput(HWND top, InputRoute route, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Window* window = FindWindowObject(top)) {
    window->queue->PostInput(MSG{top, message, wParam, lParam, 0, {}}, route);
  }
}

bool AddressInput(MSG& message, InputRoute route) {
  switch (route) {
    case InputRoute::kFixed: break;
    case InputRoute::kFocus:
      if (HWND focus = GetFocus()) message.hwnd = focus;
      break;
    case InputRoute::kPointer:
      if (!AddressPointer(message)) return false;
      break;
  }
  return AcceptsInput(message.hwnd);
}

void SetMouseCapture(HWND window) { captureWindow = window; }

HWND MouseCapture() { return IsWindow(captureWindow) ? captureWindow : nullptr; }

}  // namespace plk::user32
