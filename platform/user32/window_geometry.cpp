// Implements: the non-client frame (a fixed caption and border for overlapped windows,
// one pixel for WS_BORDER children, the 17-pixel vertical scroll bar when WS_VSCROLL is
// set), GetWindowRect, GetClientRect, MoveWindow, AdjustWindowRect, ClientToScreen,
// ScreenToClient, and the consequences of a size change (WM_SIZE with the client size);
// a minimised window reports an empty client area (SIZE_MINIMIZED, GetClientRect 0 x 0)
// and its real size again when restored.
// Does not implement: horizontal scroll bars, menus, the maximised state (SIZE_MAXIMIZED),
// WM_WINDOWPOSCHANGING/CHANGED, WM_GETMINMAXINFO.
#include "user32/window_geometry.h"

#include "user32/dc.h"
#include "user32/host/host.h"
#include "user32/non_client.h"
#include "user32/paint.h"
#include "user32/window.h"
#include "user32/window_pixels.h"

#include <algorithm>

namespace plk::user32 {
namespace {

// Windows 10 at 96 dpi: an 8-pixel sizing border and a 23-pixel caption above the client.
constexpr Frame kOverlappedFrame = {8, 31, 8, 8};
constexpr Frame kSizingFrame = {8, 8, 8, 8};
constexpr Frame kThinBorder = {1, 1, 1, 1};

int ScrollBarWidth(DWORD style) { return (style & WS_VSCROLL) ? kScrollBarWidth : 0; }

}  // namespace

Frame BorderFrame(DWORD style, bool child) {
  if (!child && (style & WS_CAPTION) == WS_CAPTION) return kOverlappedFrame;
  if (style & WS_THICKFRAME) return kSizingFrame;
  if (style & WS_BORDER) return kThinBorder;
  return {};
}

RECT ClientAreaInWindow(const Window& window) {
  const Frame frame = BorderFrame(window.style, window.parent != nullptr);
  const int width = window.rect.right - window.rect.left;
  const int height = window.rect.bottom - window.rect.top;
  RECT area = {frame.left, frame.top, width - frame.right - ScrollBarWidth(window.style),
               height - frame.bottom};
  area.right = std::max(area.right, area.left);
  area.bottom = std::max(area.bottom, area.top);
  return area;
}

SIZE ClientSize(const Window& window) {
  const RECT area = ClientAreaInWindow(window);
  return {area.right - area.left, area.bottom - area.top};
}

RECT ClientRect(const Window& window) {
  const SIZE size = ClientSize(window);
  return {0, 0, size.cx, size.cy};
}

POINT ClientOriginOnScreen(const Window& window) {
  const RECT area = ClientAreaInWindow(window);
  POINT origin = {window.rect.left + area.left, window.rect.top + area.top};
  if (const Window* parent = FindWindowObject(window.parent)) {
    const POINT parentOrigin = ClientOriginOnScreen(*parent);
    origin.x += parentOrigin.x;
    origin.y += parentOrigin.y;
  }
  return origin;
}

POINT ClientOriginOnSurface(const Window& window) {
  const Window* parent = FindWindowObject(window.parent);
  if (!parent) return {0, 0};  // a top-level window's pixels start at its client area
  const RECT area = ClientAreaInWindow(window);
  const POINT parentOrigin = ClientOriginOnSurface(*parent);
  return {parentOrigin.x + window.rect.left + area.left,
          parentOrigin.y + window.rect.top + area.top};
}

RECT ClientClipOnSurface(const Window& window) {
  const POINT origin = ClientOriginOnSurface(window);
  RECT clip = OffsetRectBy(ClientRect(window), origin.x, origin.y);
  if (const Window* parent = FindWindowObject(window.parent)) {
    clip = IntersectRects(clip, ClientClipOnSurface(*parent));
  }
  return clip;
}

SIZE PixelSize(const Window& window) {
  const SIZE client = ClientSize(window);
  return {client.cx + ScrollBarWidth(window.style), client.cy};
}

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

}  // namespace plk::user32

using namespace plk::user32;

BOOL GetWindowRect(HWND handle, LPRECT rect) {
  Window* window = FindWindowObject(handle);
  if (!window || !rect) return FALSE;
  *rect = window->rect;
  if (const Window* parent = FindWindowObject(window->parent)) {
    const POINT origin = ClientOriginOnScreen(*parent);
    *rect = OffsetRectBy(*rect, origin.x, origin.y);
  }
  return TRUE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
  Window* window = FindWindowObject(handle);
  if (!window || !rect) return FALSE;
  *rect = window->minimized ? RECT{} : ClientRect(*window);
  return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
  Window* window = FindWindowObject(handle);
  if (!window) return FALSE;
  const RECT rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
  ApplyGeometry(handle, rect, window->style, kMoveHost | kAlwaysSize | (repaint ? kRepaint : 0u));
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL) {
  if (!rect) return FALSE;
  const Frame frame = BorderFrame(style, (style & WS_CHILD) != 0);
  rect->left -= frame.left;
  rect->top -= frame.top;
  rect->right += frame.right;
  rect->bottom += frame.bottom;
  return TRUE;
}

BOOL ClientToScreen(HWND handle, LPPOINT point) {
  Window* window = FindWindowObject(handle);
  if (!window || !point) return FALSE;
  const POINT origin = ClientOriginOnScreen(*window);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND handle, LPPOINT point) {
  Window* window = FindWindowObject(handle);
  if (!window || !point) return FALSE;
  const POINT origin = ClientOriginOnScreen(*window);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}
