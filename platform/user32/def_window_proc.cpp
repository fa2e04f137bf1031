// Implements: DefWindowProcA for the messages this program leaves to it: WM_NCCREATE
// (accept), WM_CLOSE (DestroyWindow), WM_SETTEXT/WM_GETTEXT/WM_GETTEXTLENGTH (the title
// of a top-level window shows on its host window), WM_PAINT (validate), WM_ERASEBKGND
// (the class background brush), the scroll bar's non-client mouse messages, the wheel
// passed on from a child to its parent, Alt+F4 closing the top-level window, and
// WM_CONTEXTMENU sent on a right-button release (at its screen point) and for Shift+F10
// (at -1, -1), then passed on from a child to its parent (the press before the release
// prepares the menu's font and window, so that the menu shows at once).
// Does not implement: WM_SYSCOMMAND and the system menu, WM_NCHITTEST, WM_SETCURSOR,
// WM_ACTIVATE (activation is done directly by user32), the Applications key.
#include "user32/host/host.h"
#include "user32/menu_window.h"
#include "user32/non_client.h"
#include "user32/window.h"
#include "user32/window_class.h"
#include "user32/window_pixels.h"
#include "user32/window_rects.h"

#include <algorithm>
#include <cstring>

using namespace plk::user32;

namespace {

LRESULT SetText(HWND handle, LPCSTR text) {
  Window* window = FindWindowObject(handle);
  if (!window) return FALSE;
  window->text = text ? text : "";
  if (window->pixels) SetHostWindowTitle(window->pixels->host, window->text.c_str());
  return TRUE;
}

LRESULT GetText(HWND handle, WPARAM size, LPSTR buffer) {
  Window* window = FindWindowObject(handle);
  if (!window || !buffer || size == 0) return 0;
  const std::size_t count = std::min<std::size_t>(window->text.size(), size - 1);
  std::memcpy(buffer, window->text.data(), count);
  buffer[count] = '\0';
  return static_cast<LRESULT>(count);
}

LRESULT EraseBackground(HWND handle, HDC dc) {
  Window* window = FindWindowObject(handle);
  if (!window || !window->windowClass || !window->windowClass->background) return 0;
  const RECT client = ClientRect(*window);
  FillRect(dc, &client, window->windowClass->background);
  return 1;
}

}  // namespace

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SETTEXT: return SetText(window, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT: return GetText(window, wParam, reinterpret_cast<LPSTR>(lParam));
    case WM_GETTEXTLENGTH: {
      Window* target = FindWindowObject(window);
      return target ? static_cast<LRESULT>(target->text.size()) : 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND: return EraseBackground(window, reinterpret_cast<HDC>(wParam));
    case kWmNcLButtonDown:
    case kWmNcLButtonUp:
    case kWmNcMouseMove: return HandleNonClientMouse(window, message, wParam, lParam);
    case WM_MOUSEWHEEL: {
      const HWND parent = GetParent(window);
      return parent ? SendMessageA(parent, message, wParam, lParam) : 0;
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (1 << 29))) {
        Window* target = FindWindowObject(window);
        if (target) PostMessageA(TopLevelOf(*target)->handle, WM_CLOSE, 0, 0);
      } else if (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
        SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), -1);  // (-1, -1)
      }
      return 0;
    case WM_RBUTTONDOWN: PrepareMenus(); return 0;
    case WM_RBUTTONUP: {
      POINT at = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      ClientToScreen(window, &at);
      SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(at.x, at.y));
      return 0;
    }
    case WM_CONTEXTMENU: {  // a child leaves its context menu to its parent
      const HWND parent = GetParent(window);
      return parent ? SendMessageA(parent, message, wParam, lParam) : 0;
    }
    default: return 0;
  }
}
