// Implements: where windows are and whether they show: MoveWindow, ShowWindow (WM_SHOWWINDOW;
// an overlapped window's first showing sends WM_SIZE and WM_MOVE; minimising, restoring and
// maximising asked of the host), IsWindowVisible, and the consequences of a size change
// (WM_SIZE with the client size); a minimised window reports an empty client area
// (SIZE_MINIMIZED) and its real size again when restored.
// Does not implement: SetWindowPos, z-order among siblings, the maximised state
// (SIZE_MAXIMIZED), WM_WINDOWPOSCHANGING/CHANGED, WM_GETMINMAXINFO.
#include "user32/window_geometry.h"

#include "user32/dc.h"
#include "user32/focus.h"
#include "user32/host/host.h"
#include "user32/non_client.h"
#include "user32/paint.h"
#include "user32/window.h"
#include "user32/window_class.h"
#include "user32/window_pixels.h"
#include "user32/window_rects.h"

#include <algorithm>

namespace plk::user32 {
namespace {

// Minimising, restoring and maximising, asked of the host and told to the window.
void ApplyShowCommand(Window& window, int command) {
  HostWindow* host = window.pixels ? window.pixels->host : nullptr;
  const HWND handle = window.handle;
  if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
    SetHostWindowState(host, HostWindowState::Minimized);
    SetMinimized(handle, true);
  } else if (command == SW_SHOWMAXIMIZED) {
    SetHostWindowState(host, HostWindowState::Maximized);
  } else if (window.minimized &&
             (command == SW_RESTORE || command == SW_SHOWNORMAL || command == SW_SHOWDEFAULT)) {
    SetHostWindowState(host, HostWindowState::Normal);
    SetMinimized(handle, false);
  }
}

}  // namespace

void SendSizeMessage(HWND handle) {
  Window* window = FindWindowObject(handle);
  if (!window) return;
  const SIZE size = window->minimized ? SIZE{0, 0} : ClientSize(*window);
  SendMessageA(handle, WM_SIZE, window->minimized ? SIZE_MINIMIZED : SIZE_RESTORED,
               MAKELPARAM(size.cx, size.cy));
}

void SetMinimized(HWND handle, bool minimized) {
  Window* window = FindWindowObject(handle);
  if (!window || window->minimized == minimized) return;
  window->minimized = minimized;
  SendSizeMessage(handle);
}

void ApplyGeometry(HWND handle, const RECT& rect, DWORD style, unsigned changes) {
  Window* window = FindWindowObject(handle);
  if (!window) return;
  const SIZE oldSize = ClientSize(*window);
  const RECT oldRect = window->rect;
  const bool wasShown = IsShown(*window);
  window->rect = rect;
  window->style = style;
  const SIZE newSize = ClientSize(*window);
  const bool resized = oldSize.cx != newSize.cx || oldSize.cy != newSize.cy;

  if (window->pixels) {
    const SIZE pixels = PixelSize(*window);
    window->pixels->Resize(pixels.cx, pixels.cy);
    if (changes & kMoveHost) {
      const RECT area = ClientAreaInWindow(*window);
      const POINT origin = {rect.left + area.left, rect.top + area.top};
      PlaceHostWindow(window->pixels->host,
                      {origin.x, origin.y, origin.x + pixels.cx, origin.y + pixels.cy});
    }
    // Without CS_HREDRAW/CS_VREDRAW Windows keeps the old pixels and repaints only
    // what the new size uncovered.
    Region exposed(ClientRect(*window));
    const UINT classStyle = window->windowClass ? window->windowClass->style : 0;
    if (!(resized && (classStyle & (CS_HREDRAW | CS_VREDRAW)))) {
      exposed.Subtract({0, 0, oldSize.cx, oldSize.cy});
    }
    InvalidateWindowRegion(*window, exposed, true);
    DrawNonClient(*window);
  } else if (wasShown && (changes & kRepaint)) {
    if (Window* parent = FindWindowObject(window->parent)) {
      InvalidateWindowRegion(*parent, Region(oldRect), true);
    }
    InvalidateWindowRegion(*window, Region(ClientRect(*window)), true);
  }
  RetargetWindowDCs(handle);
  if (resized || (changes & kAlwaysSize)) SendSizeMessage(handle);
}

void SendSizeAndMove(HWND handle) {
  SendSizeMessage(handle);
  Window* window = FindWindowObject(handle);
  if (!window) return;
  const RECT area = ClientAreaInWindow(*window);
  SendMessageA(handle, WM_MOVE, 0,
               MAKELPARAM(window->rect.left + area.left, window->rect.top + area.top));
}

}  // namespace plk::user32

using namespace plk::user32;

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
  Window* window = FindWindowObject(handle);
  if (!window) return FALSE;
  const RECT rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
  ApplyGeometry(handle, rect, window->style, kMoveHost | kAlwaysSize | (repaint ? kRepaint : 0u));
  return TRUE;
}

BOOL IsWindowVisible(HWND handle) {
  Window* window = FindWindowObject(handle);
  return window && IsShown(*window) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND handle, int command) {
  Window* window = FindWindowObject(handle);
  if (!window) return FALSE;
  const BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
  const bool show = command != SW_HIDE;
  if (show == static_cast<bool>(wasVisible) && !window->needsSizeMessage) {
    ApplyShowCommand(*window, command);
    return wasVisible;
  }
  SendMessageA(handle, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (!(window = FindWindowObject(handle))) return wasVisible;

  if (!show) {
    if (window->parent)
      InvalidateWindowRegion(*FindWindowObject(window->parent), Region(window->rect), true);
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (window->pixels) ShowHostWindow(window->pixels->host, false);
    ReleaseFocusFrom(handle);
    return wasVisible;
  }
  window->style |= WS_VISIBLE;
  if (window->pixels) ShowHostWindow(window->pixels->host, true);
  if (window->needsSizeMessage) {
    window->needsSizeMessage = false;
    SendSizeAndMove(handle);
    if (!(window = FindWindowObject(handle))) return wasVisible;
  }
  InvalidateWindowRegion(*window, Region(ClientRect(*window)), true);
  DrawNonClient(*window);
  const bool activates = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
  if (!window->parent && activates) ActivateWindow(handle);
  if ((window = FindWindowObject(handle))) ApplyShowCommand(*window, command);
  return wasVisible;
}
