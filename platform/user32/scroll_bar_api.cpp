// Implements: SetScrollInfo/GetScrollInfo (SIF_RANGE, SIF_PAGE, SIF_POS, SIF_TRACKPOS),
// SetScrollPos/GetScrollPos, SetScrollRange/GetScrollRange, ShowScrollBar (the bar is
// part of the non-client area: showing it narrows the client area and sends WM_SIZE),
// EnableScrollBar, for the window's vertical bar (SB_VERT).
// Does not implement: SB_HORZ and SB_CTL bars (calls on them fail), hiding the bar
// automatically when the range fits the page, SIF_DISABLENOSCROLL.
#include "user32/non_client.h"
#include "user32/window.h"
#include "user32/window_geometry.h"

using namespace plk::user32;

namespace {

ScrollBar* VerticalBar(HWND handle, int bar) {
  Window* window = FindWindowObject(handle);
  return window && bar == SB_VERT ? &window->verticalBar : nullptr;
}

void Redraw(HWND handle, BOOL redraw) {
  if (!redraw) return;
  if (Window* window = FindWindowObject(handle)) DrawNonClient(*window);
}

}  // namespace

int SetScrollInfo(HWND handle, int bar, LPCSCROLLINFO info, BOOL redraw) {
  ScrollBar* scroll = VerticalBar(handle, bar);
  if (!scroll || !info) return 0;
  if (info->fMask & SIF_RANGE) scroll->SetRange(info->nMin, info->nMax);
  if (info->fMask & SIF_PAGE) scroll->SetPage(info->nPage);
  if (info->fMask & SIF_POS) scroll->position = scroll->Clamp(info->nPos);
  Redraw(handle, redraw);
  return scroll->position;
}

BOOL GetScrollInfo(HWND handle, int bar, LPSCROLLINFO info) {
  ScrollBar* scroll = VerticalBar(handle, bar);
  if (!scroll || !info) return FALSE;
  if (info->fMask & SIF_RANGE) {
    info->nMin = scroll->minimum;
    info->nMax = scroll->maximum;
  }
  if (info->fMask & SIF_PAGE) info->nPage = scroll->page;
  if (info->fMask & SIF_POS) info->nPos = scroll->position;
  if (info->fMask & SIF_TRACKPOS) {
    info->nTrackPos = scroll->tracking ? scroll->trackPosition : scroll->position;
  }
  return TRUE;
}

int SetScrollPos(HWND handle, int bar, int position, BOOL redraw) {
  ScrollBar* scroll = VerticalBar(handle, bar);
  if (!scroll) return 0;
  const int previous = scroll->position;
  scroll->position = scroll->Clamp(position);
  Redraw(handle, redraw);
  return previous;
}

int GetScrollPos(HWND handle, int bar) {
  ScrollBar* scroll = VerticalBar(handle, bar);
  return scroll ? scroll->position : 0;
}

BOOL SetScrollRange(HWND handle, int bar, int minimum, int maximum, BOOL redraw) {
  ScrollBar* scroll = VerticalBar(handle, bar);
  if (!scroll) return FALSE;
  scroll->SetRange(minimum, maximum);
  Redraw(handle, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND handle, int bar, LPINT minimum, LPINT maximum) {
  ScrollBar* scroll = VerticalBar(handle, bar);
  if (!scroll || !minimum || !maximum) return FALSE;
  *minimum = scroll->minimum;
  *maximum = scroll->maximum;
  return TRUE;
}

BOOL ShowScrollBar(HWND handle, int bar, BOOL show) {
  Window* window = FindWindowObject(handle);
  if (!window || (bar != SB_VERT && bar != SB_BOTH)) return FALSE;
  const DWORD style =
      show ? window->style | WS_VSCROLL : window->style & ~static_cast<DWORD>(WS_VSCROLL);
  if (style != window->style) ApplyGeometry(handle, window->rect, style, 0);
  return TRUE;
}

BOOL EnableScrollBar(HWND handle, UINT bar, UINT arrows) {
  ScrollBar* scroll = VerticalBar(handle, static_cast<int>(bar));
  if (!scroll || scroll->disabledArrows == (arrows & 3)) return FALSE;
  scroll->disabledArrows = arrows & 3;
  Redraw(handle, TRUE);
  return TRUE;
}
