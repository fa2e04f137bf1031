// Implements: the non-client frame (a fixed caption and border for overlapped windows,
// one pixel for WS_BORDER children, the 17-pixel vertical scroll bar when WS_VSCROLL is
// set), where a client area lies (in its window, on the screen, in the top-level window's
// pixels), the child under a point, GetWindowRect, GetClientRect (0 x 0 while minimised),
// AdjustWindowRect, ClientToScreen and ScreenToClient.
// Does not implement: horizontal scroll bars, menus, WindowFromPoint, ChildWindowFromPoint,
// MapWindowPoints, right-to-left mirroring.
#include "user32/window_rects.h"

#include "user32/window.h"

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

HWND ChildWindowAt(HWND handle, POINT& point) {
  Window* window = FindWindowObject(handle);
  if (!window) return handle;
  // Later children lie above earlier ones.
  for (auto child = window->children.rbegin(); child != window->children.rend(); ++child) {
    Window* candidate = FindWindowObject(*child);
    if (!candidate || !IsShown(*candidate)) continue;
    const RECT& rect = candidate->rect;
    if (point.x < rect.left || point.x >= rect.right || point.y < rect.top ||
        point.y >= rect.bottom) {
      continue;
    }
    const RECT area = ClientAreaInWindow(*candidate);
    point.x -= rect.left + area.left;
    point.y -= rect.top + area.top;
    return ChildWindowAt(*child, point);
  }
  return handle;
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
