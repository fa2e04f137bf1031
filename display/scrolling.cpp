#include "display/scrolling.h"

#include "common/program_globals.h"
#include "common/spin_flag.h"
#include "display/row_layout.h"

LONG verticalScroll = 0;

namespace {

void ScrollToClampedTarget(int target) {
  SetScrollPos(mainWindow, SB_VERT, target, TRUE);
  ScrollContentTo(GetScrollPos(mainWindow, SB_VERT));
  verticalScroll = GetScrollPos(mainWindow, SB_VERT);
}

// When a taller client area made the system lower the scroll position, the picture would
// stay drawn from the old position: follow the system at once and repaint everything.
void FollowScrollPositionAfterResize() {
  AcquireSpinFlag(&PaintLock);
  const int position = GetScrollPos(mainWindow, SB_VERT);
  const bool moved = position != verticalScroll;
  verticalScroll = position;
  ReleaseSpinFlag(&PaintLock);
  if (moved) InvalidateRect(mainWindow, nullptr, FALSE);
}

}  // namespace

void ScrollContentTo(int newPosition) {
  ScrollWindowEx(mainWindow, 0, verticalScroll - newPosition, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE);
}

LRESULT OnSize(LPARAM lParam) {
  const int height = HIWORD(lParam);
  if (height < DOCUMENT_HEIGHT) {
    ShowScrollBar(mainWindow, SB_VERT, TRUE);
    EnableScrollBar(mainWindow, SB_VERT, ESB_ENABLE_BOTH);
  } else {
    ShowScrollBar(mainWindow, SB_VERT, FALSE);
    EnableScrollBar(mainWindow, SB_VERT, ESB_DISABLE_BOTH);
  }
  SetScrollRange(mainWindow, SB_VERT, 0, DOCUMENT_HEIGHT - 1, TRUE);
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_PAGE;
  info.nPage = height;
  SetScrollInfo(mainWindow, SB_VERT, &info, TRUE);
  FollowScrollPositionAfterResize();
  SendMessageA(mainWindow, WM_PAINT, 0, 0);
  return 0;
}

LRESULT OnVScroll(WPARAM wParam) {
  const int request = LOWORD(wParam);
  int step;
  switch (request) {
    case SB_LINEUP: step = -LINE_SCROLL; break;
    case SB_LINEDOWN: step = LINE_SCROLL; break;
    case SB_PAGEUP: step = -PAGE_SCROLL; break;
    case SB_PAGEDOWN: step = PAGE_SCROLL; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      const int position = HIWORD(wParam);
      AcquireSpinFlag(&PaintLock);
      ScrollContentTo(position);
      verticalScroll = position;
      SetScrollPos(mainWindow, SB_VERT, position, TRUE);
      ReleaseSpinFlag(&PaintLock);
      return 0;
    }
    default: return 0;
  }
  AcquireSpinFlag(&PaintLock);
  ScrollToClampedTarget(verticalScroll + step);
  ReleaseSpinFlag(&PaintLock);
  return 0;
}

LRESULT OnMouseWheel(WPARAM wParam) {
  AcquireSpinFlag(&PaintLock);
  const int amount = GET_WHEEL_DELTA_WPARAM(wParam);
  const int step = (amount / WHEEL_DELTA) * LINE_SCROLL;
  ScrollToClampedTarget(verticalScroll - step);
  ReleaseSpinFlag(&PaintLock);
  return 0;
}
