// Implements: InvalidateRect, ValidateRect, GetUpdateRect, RedrawWindow (RDW_INVALIDATE,
// RDW_ERASE, RDW_VALIDATE, RDW_ALLCHILDREN, RDW_NOCHILDREN, RDW_UPDATENOW, RDW_FRAME),
// UpdateWindow, BeginPaint (DC clipped to the update region within the client area,
// rcPaint its bounding box, the region validated, WM_ERASEBKGND when an erase is due)
// and EndPaint, and the WM_PAINT that the queue generates from update regions.
// Does not implement: HRGN update regions (an HRGN argument counts as the whole client
// area), RDW_INTERNALPAINT, WM_NCPAINT (the scroll bar is drawn directly), carets.
#include "user32/paint.h"

#include "user32/dc.h"
#include "user32/message_queue.h"
#include "user32/non_client.h"
#include "user32/window.h"
#include "user32/window_rects.h"

namespace plk::user32 {
namespace {

constexpr UINT kRdwNoChildren = 0x0040;

Region RegionFor(const Window& window, const RECT* rect) {
  return rect ? Region(IntersectRects(*rect, ClientRect(window))) : Region(ClientRect(window));
}

void PaintNow(HWND handle, bool children) {
  Window* window = FindWindowObject(handle);
  if (!window || !IsShown(*window)) return;
  if (!window->update.Empty()) SendMessageA(handle, WM_PAINT, 0, 0);
  if (!children || !(window = FindWindowObject(handle))) return;
  const std::vector<HWND> snapshot = window->children;
  for (HWND child : snapshot) PaintNow(child, true);
}

}  // namespace

void InvalidateWindowRegion(Window& window, Region region, bool erase) {
  if (!IsShown(window)) return;
  region.Intersect(ClientRect(window));
  if (region.Empty()) return;
  AddUpdateRegion(window, region);
  window.erasePending = window.erasePending || erase;
  if (window.style & WS_CLIPCHILDREN) return;
  for (HWND childHandle : window.children) {
    Window* child = FindWindowObject(childHandle);
    if (!child || !region.Intersects(child->rect)) continue;
    const RECT area = ClientAreaInWindow(*child);
    Region childRegion = region;
    childRegion.Offset(-(child->rect.left + area.left), -(child->rect.top + area.top));
    InvalidateWindowRegion(*child, childRegion, erase);
  }
}

void AddUpdateRegion(Window& window, const Region& region) {
  if (region.Empty()) return;
  window.update.Add(region);
  if (window.queue) window.queue->NotePaintMaybeDue();
}

bool TakePaintMessage(MSG& out, HWND filter, UINT filterMin, UINT filterMax) {
  MessageQueue* queue = &CurrentQueue();
  if (!queue->TakePaintMaybeDue()) return false;
  // Asked on every look at the queue: the list's storage is kept, not allocated each time.
  // Only this thread's windows are read, since only this thread changes their regions.
  static thread_local std::vector<HWND> handles;
  CollectWindowHandles(
      handles,
      [](const Window& window, const void* queue) {
        return window.queue.get() == queue && !window.update.Empty();
      },
      queue);
  // Regions stay until painted or validated, and the window may be shown later.
  if (!handles.empty()) queue->NotePaintMaybeDue();
  for (HWND handle : handles) {
    Window* window = FindWindowObject(handle);
    if (!window || window->update.Empty() || !IsShown(*window)) continue;
    const MSG paint{handle, WM_PAINT, 0, 0, GetTickCount(), {}};
    if (!MessageMatches(paint, filter, filterMin, filterMax)) continue;
    out = paint;
    return true;
  }
  return false;
}

}  // namespace plk::user32

using namespace plk::user32;

BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  return RedrawWindow(handle, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND handle, const RECT* rect) {
  return RedrawWindow(handle, rect, nullptr, RDW_VALIDATE);
}

BOOL RedrawWindow(HWND handle, const RECT* updateRect, HRGN updateRegion, UINT flags) {
  if (!handle) {
    // Windows repaints every window; the program never asks, but keep the meaning.
    for (HWND each : AllWindowHandles()) {
      if (Window* window = FindWindowObject(each); window && !window->parent) {
        RedrawWindow(each, updateRect, updateRegion, flags);
      }
    }
    return TRUE;
  }
  Window* window = FindWindowObject(handle);
  if (!window) return FALSE;
  const RECT* rect = updateRegion ? nullptr : updateRect;
  if (flags & RDW_INVALIDATE) {
    const DWORD savedStyle = window->style;
    if (flags & kRdwNoChildren) window->style |= WS_CLIPCHILDREN;
    if (flags & RDW_ALLCHILDREN) window->style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
    InvalidateWindowRegion(*window, RegionFor(*window, rect), (flags & RDW_ERASE) != 0);
    window->style = savedStyle;
  } else if (flags & RDW_VALIDATE) {
    if (rect) {
      window->update.Subtract(*rect);
    } else {
      window->update.Clear();
    }
    if (window->update.Empty()) window->erasePending = false;
  }
  if (flags & RDW_FRAME) DrawNonClient(*window);
  if (flags & RDW_UPDATENOW) PaintNow(handle, (flags & kRdwNoChildren) == 0);
  return TRUE;
}

BOOL UpdateWindow(HWND handle) {
  Window* window = FindWindowObject(handle);
  if (!window) return FALSE;
  if (IsShown(*window) && !window->update.Empty()) SendMessageA(handle, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL GetUpdateRect(HWND handle, LPRECT rect, BOOL) {
  Window* window = FindWindowObject(handle);
  if (!window) return FALSE;
  Region region = window->update;
  region.Intersect(ClientRect(*window));
  if (rect) *rect = region.Bounds();
  return region.Empty() ? FALSE : TRUE;
}

HDC BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
  Window* window = FindWindowObject(handle);
  if (!window || !paint) return nullptr;
  Region region = window->update;
  region.Intersect(ClientRect(*window));
  const bool erase = window->erasePending;
  window->update.Clear();
  window->erasePending = false;

  HDC dc = AcquireWindowDC(handle, &region);
  *paint = PAINTSTRUCT{};
  paint->hdc = dc;
  paint->rcPaint = region.Bounds();
  paint->fErase = FALSE;
  if (erase && dc) {
    paint->fErase =
        SendMessageA(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  }
  return dc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  ReleaseWindowDC(handle, paint->hdc);
  return TRUE;
}
