// Implements: input addressed when it leaves the queue (keys and the wheel to the focus
// window, buttons to the capture window or the deepest shown child under the pointer, in
// its client coordinates), input for disabled windows dropped.
// Does not implement: hit testing across top-level windows (a click belongs to the host
// window it arrived at), keys going to the active window as WM_SYSKEY* without a focus.
#include "user32/input_routing.h"

#include "user32/mouse_capture.h"
#include "user32/window.h"
#include "user32/window_enable.h"
#include "user32/window_rects.h"

namespace plk::user32 {
namespace {

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

}  // namespace plk::user32
