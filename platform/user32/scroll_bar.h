// The state of a window's vertical scroll bar and its geometry, kept apart from windows
// and pixels so that clamping and hit testing can be checked on their own.
#pragma once

#include <windows.h>

namespace plk::user32 {

constexpr int kScrollBarWidth = 17;  // SM_CXVSCROLL; also the arrow buttons' height
constexpr int kMinimumThumb = 8;

struct ScrollBar {
  int minimum = 0;
  int maximum = 100;
  UINT page = 0;
  int position = 0;
  UINT disabledArrows = 0;  // ESB_DISABLE_* bits
  bool tracking = false;    // the thumb is being dragged
  int trackPosition = 0;
  int grabOffset = 0;    // pointer y minus thumb top when the drag began
  bool pressed = false;  // a button press began on the bar; its release ends the scroll

  // Windows keeps the position within minimum .. maximum - max(page - 1, 0).
  int LargestPosition() const;
  int Clamp(int value) const;
  void SetRange(int newMinimum, int newMaximum);
  void SetPage(UINT newPage);
  bool Disabled() const { return disabledArrows == 3; }
};

enum class ScrollPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

struct ScrollBarLayout {
  int arrow = 0;  // height of each arrow button
  int thumbTop = 0;
  int thumbLength = 0;  // 0: no thumb (disabled, or nothing to scroll)
  int height = 0;
};

// Geometry for a bar `height` pixels tall; the thumb sits at the track position while
// it is dragged.
ScrollBarLayout LayOutScrollBar(const ScrollBar& bar, int height);
ScrollPart HitTestScrollBar(const ScrollBar& bar, int height, int y);
// The position whose thumb would start at `thumbTop`.
int PositionForThumbTop(const ScrollBar& bar, int height, int thumbTop);

}  // namespace plk::user32
