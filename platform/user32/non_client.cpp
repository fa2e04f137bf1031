// Implements: drawing of the vertical scroll bar (arrow buttons, track, proportional
// thumb, greyed arrows when disabled) straight into the top-level window's pixels, and
// the scroll bar's mouse handling for DefWindowProcA.
// Does not implement: auto-repeat while an arrow or the track is held (one request per
// press), hot-tracking highlights, the horizontal bar, the size grip.
#include "user32/non_client.h"

#include "user32/window.h"
#include "user32/window_pixels.h"
#include "user32/window_rects.h"

#include <algorithm>

namespace plk::user32 {
namespace {

constexpr std::uint32_t kTrackColour = 0xF0F0F0;
constexpr std::uint32_t kThumbColour = 0xCDCDCD;
constexpr std::uint32_t kThumbDragColour = 0xA6A6A6;
constexpr std::uint32_t kGlyphColour = 0x606060;
constexpr std::uint32_t kDisabledGlyphColour = 0xBFBFBF;

void Fill(const plk::gdi::PixelSurface& surface, RECT rect, std::uint32_t colour) {
  rect = IntersectRects(rect, {0, 0, surface.width, surface.height});
  for (int y = rect.top; y < rect.bottom; ++y) {
    std::fill_n(surface.pixels + static_cast<std::ptrdiff_t>(y) * surface.stride + rect.left,
                rect.right - rect.left, colour);
  }
}

// A small triangle centred in the button, pointing up or down.
void DrawArrow(const plk::gdi::PixelSurface& surface, int left, int top, int size, bool up,
               std::uint32_t colour) {
  constexpr int kRows = 4;
  const int centreX = left + kScrollBarWidth / 2;
  const int firstRow = top + (size - kRows) / 2;
  for (int row = 0; row < kRows && row < size; ++row) {
    const int half = up ? row : kRows - 1 - row;
    Fill(surface, {centreX - half, firstRow + row, centreX + half + 1, firstRow + row + 1}, colour);
  }
}

void SendScroll(HWND window, int request, int position) {
  SendMessageA(window, WM_VSCROLL, MAKEWPARAM(request, position), 0);
}

}  // namespace

void DrawNonClient(Window& window) {
  if (!window.pixels || !(window.style & WS_VSCROLL)) return;
  const plk::gdi::PixelSurface surface = window.pixels->Surface();
  const SIZE client = ClientSize(window);
  const int left = client.cx;
  const ScrollBar& bar = window.verticalBar;
  const ScrollBarLayout layout = LayOutScrollBar(bar, client.cy);
  Fill(surface, {left, 0, left + kScrollBarWidth, client.cy}, kTrackColour);
  const std::uint32_t upGlyph = (bar.disabledArrows & 1) ? kDisabledGlyphColour : kGlyphColour;
  const std::uint32_t downGlyph = (bar.disabledArrows & 2) ? kDisabledGlyphColour : kGlyphColour;
  DrawArrow(surface, left, 0, layout.arrow, true, upGlyph);
  DrawArrow(surface, left, client.cy - layout.arrow, layout.arrow, false, downGlyph);
  if (layout.thumbLength > 0) {
    Fill(surface,
         {left + 2, layout.thumbTop, left + kScrollBarWidth - 2,
          layout.thumbTop + layout.thumbLength},
         bar.tracking ? kThumbDragColour : kThumbColour);
  }
  window.pixels->damage.Add({left, 0, left + kScrollBarWidth, client.cy});
}

LRESULT HandleNonClientMouse(HWND handle, UINT message, WPARAM hitTest, LPARAM screenPoint) {
  Window* window = FindWindowObject(handle);
  if (!window || hitTest != kHtVScroll) return 0;
  const int y = static_cast<SHORT>(HIWORD(screenPoint)) - ClientOriginOnScreen(*window).y;
  const int height = ClientSize(*window).cy;
  ScrollBar& bar = window->verticalBar;

  if (message == kWmNcLButtonDown) {
    if (bar.Disabled()) return 0;
    bar.pressed = true;
    switch (HitTestScrollBar(bar, height, y)) {
      case ScrollPart::LineUp: SendScroll(handle, SB_LINEUP, 0); break;
      case ScrollPart::LineDown: SendScroll(handle, SB_LINEDOWN, 0); break;
      case ScrollPart::PageUp: SendScroll(handle, SB_PAGEUP, 0); break;
      case ScrollPart::PageDown: SendScroll(handle, SB_PAGEDOWN, 0); break;
      case ScrollPart::Thumb:
        bar.tracking = true;
        bar.trackPosition = bar.position;
        bar.grabOffset = y - LayOutScrollBar(bar, height).thumbTop;
        DrawNonClient(*window);
        break;
      case ScrollPart::None: bar.pressed = false; break;
    }
    return 0;
  }
  if (message == kWmNcMouseMove && bar.tracking) {
    const int position = PositionForThumbTop(bar, height, y - bar.grabOffset);
    if (position == bar.trackPosition) return 0;
    bar.trackPosition = position;
    DrawNonClient(*window);
    SendScroll(handle, SB_THUMBTRACK, position);
    return 0;
  }
  if (message == kWmNcLButtonUp && bar.pressed) {
    bar.pressed = false;
    if (bar.tracking) {
      const int position = bar.trackPosition;
      SendScroll(handle, SB_THUMBPOSITION, position);
      if (!(window = FindWindowObject(handle))) return 0;
      window->verticalBar.tracking = false;
      DrawNonClient(*window);
    }
    SendScroll(handle, SB_ENDSCROLL, 0);
  }
  return 0;
}

}  // namespace plk::user32
