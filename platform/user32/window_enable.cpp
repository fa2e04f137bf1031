// Implements: EnableWindow (WM_ENABLE; a window being disabled loses the focus and the
// mouse capture inside it, and returns whether it was disabled before), IsWindowEnabled,
// and what input routing and activation ask of them: a window takes input only while it
// and every ancestor are enabled; a disabled window's enabled owned popup is the one to
// activate instead.
// Does not implement: WM_CANCELMODE, disabled drawing of controls.
#include "user32/window_enable.h"

#include "user32/mouse_capture.h"
#include "user32/window.h"

namespace plk::user32 {

bool AcceptsInput(HWND handle) {
  Window* window = FindWindowObject(handle);
  if (!window) return false;
  for (; window; window = FindWindowObject(window->parent)) {
    if (window->style & WS_DISABLED) return false;
  }
  return true;
}

HWND EnabledOwnedWindow(HWND owner) {
  for (HWND handle : AllWindowHandles()) {
    Window* window = FindWindowObject(handle);
    if (window && window->owner == owner && IsShown(*window) && AcceptsInput(handle)) {
      return handle;
    }
  }
  return nullptr;
}

}  // namespace plk::user32

using namespace plk::user32;

BOOL EnableWindow(HWND handle, BOOL enable) {
  Window* window = FindWindowObject(handle);
  if (!window) return FALSE;
  const BOOL wasDisabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
  if (static_cast<bool>(enable) == !wasDisabled) return wasDisabled;
  if (enable) {
    window->style &= ~static_cast<DWORD>(WS_DISABLED);
  } else {
    window->style |= WS_DISABLED;
    if (GetFocus() && IsDescendant(GetFocus(), handle)) SetFocus(nullptr);
    if (MouseCapture() && IsDescendant(MouseCapture(), handle)) SetMouseCapture(nullptr);
  }
  SendMessageA(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND handle) {
  Window* window = FindWindowObject(handle);
  return window && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}
