// Implements: GetSystemMetrics for the scroll bar width and the screen size (the first
// display, or 1024 x 768 without video), and SetRect.
// Does not implement: the other SM_* metrics (they answer 0).
#include "user32/scroll_bar.h"
#include "user32/sdl_video.h"

#include <SDL.h>

int GetSystemMetrics(int index) {
  SDL_Rect bounds{0, 0, 1024, 768};
  if ((index == SM_CXSCREEN || index == SM_CYSCREEN) && plk::user32::SdlVideoActive()) {
    SDL_GetDisplayBounds(0, &bounds);
  }
  switch (index) {
    case SM_CXVSCROLL: return plk::user32::kScrollBarWidth;
    case SM_CXSCREEN: return bounds.w;
    case SM_CYSCREEN: return bounds.h;
    default: return 0;
  }
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}
