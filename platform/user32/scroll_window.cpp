// Implements: ScrollWindowEx: the client pixels (or those of the scroll rectangle) move
// by (dx, dy) within that area and the clip rectangle, the pending update region moves
// with them, SW_INVALIDATE (with SW_ERASE) invalidates the band that was uncovered, and
// SW_SCROLLCHILDREN moves the child windows (WM_MOVE to each). The uncovered band's
// bounds come back through the update rectangle.
// Does not implement: HRGN update regions (that argument is ignored), SW_SMOOTHSCROLL.
#include "user32/dc.h"
#include "user32/paint.h"
#include "user32/window.h"
#include "user32/window_pixels.h"
#include "user32/window_rects.h"

#include <cstring>

using namespace plk::user32;

namespace {

constexpr int kNullRegion = 1;
constexpr int kSimpleRegion = 2;
constexpr int kComplexRegion = 3;

// Moves the pixels of `area` (client coordinates) by (dx, dy), keeping them inside it.
void MovePixels(Window& window, const RECT& area, int dx, int dy) {
  Window* top = TopLevelOf(window);
  if (!top->pixels || !IsShown(window)) return;
  const plk::gdi::PixelSurface surface = top->pixels->Surface();
  const POINT origin = ClientOriginOnSurface(window);
  const RECT source =
      IntersectRects(OffsetRectBy(area, origin.x, origin.y), ClientClipOnSurface(window));
  const RECT target = IntersectRects(OffsetRectBy(source, dx, dy), source);
  if (IsEmptyRect(target)) return;
  const auto width = static_cast<std::size_t>(target.right - target.left);
  auto row = [&](int y) {
    std::uint32_t* to = surface.pixels + static_cast<std::ptrdiff_t>(y) * surface.stride;
    const std::uint32_t* from = to - static_cast<std::ptrdiff_t>(dy) * surface.stride;
    std::memmove(to + target.left, from + target.left - dx, width * sizeof(std::uint32_t));
  };
  // Rows are copied away from the direction of motion so no source row is overwritten first.
  if (dy > 0) {
    for (int y = target.bottom - 1; y >= target.top; --y) row(y);
  } else {
    for (int y = target.top; y < target.bottom; ++y) row(y);
  }
  top->pixels->damage.Add(target);
}

// The part of the update region inside `area` travels with the pixels.
void MoveUpdateRegion(Window& window, const RECT& area, int dx, int dy) {
  Region inside = window.update;
  inside.Intersect(area);
  inside.Offset(dx, dy);
  inside.Intersect(area);
  window.update.Subtract(area);
  AddUpdateRegion(window, inside);
}

void MoveChildren(HWND handle, int dx, int dy) {
  Window* window = FindWindowObject(handle);
  if (!window) return;
  const std::vector<HWND> children = window->children;
  for (HWND childHandle : children) {
    Window* child = FindWindowObject(childHandle);
    if (!child) continue;
    child->rect = OffsetRectBy(child->rect, dx, dy);
    SendMessageA(childHandle, WM_MOVE, 0, MAKELPARAM(child->rect.left, child->rect.top));
  }
  RetargetWindowDCs(handle);
}

}  // namespace

int ScrollWindowEx(HWND handle, int dx, int dy, const RECT* scrollRect, const RECT* clipRect, HRGN,
                   LPRECT updateRect, UINT flags) {
  Window* window = FindWindowObject(handle);
  if (!window) return 0;
  const RECT client = ClientRect(*window);
  const RECT area = IntersectRects(scrollRect ? *scrollRect : client, client);
  const RECT clipped = clipRect ? IntersectRects(area, *clipRect) : area;

  MovePixels(*window, clipped, dx, dy);
  MoveUpdateRegion(*window, clipped, dx, dy);
  Region uncovered(clipped);
  uncovered.Subtract(OffsetRectBy(clipped, dx, dy));
  if (flags & SW_SCROLLCHILDREN) MoveChildren(handle, dx, dy);
  if ((flags & SW_INVALIDATE) && (window = FindWindowObject(handle))) {
    InvalidateWindowRegion(*window, uncovered, (flags & SW_ERASE) != 0);
  }
  if (updateRect) *updateRect = uncovered.Bounds();
  if (uncovered.Empty()) return kNullRegion;
  return uncovered.Rects().size() == 1 ? kSimpleRegion : kComplexRegion;
}
