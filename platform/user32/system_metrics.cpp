// Implements: GetSystemMetrics for the scroll bar width and the screen size (the first
// display, or 1024 x 768 without video), and SetRect.
// Does not implement: the other SM_* metrics (they answer 0).
#include "user32/host/host.h"
#include "user32/scroll_bar.h"

int GetSystemMetrics(int index) {
  if (index == SM_CXVSCROLL) return plk::user32::kScrollBarWidth;
  if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
  const RECT screen = plk::user32::HostScreenBounds().value_or(RECT{0, 0, 1024, 768});
  return index == SM_CXSCREEN ? screen.right - screen.left : screen.bottom - screen.top;
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}
