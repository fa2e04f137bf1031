// Implements: scroll bar clamping as Windows does it (range, page clamped to range + 1,
// position within minimum .. maximum - max(page - 1, 0)), the proportional thumb, hit
// testing of arrows, track and thumb, and the thumb-to-position mapping of a drag.
// Does not implement: horizontal bars, SB_CTL controls, auto-hiding a bar whose range
// fits its page.
#include "user32/scroll_bar.h"

#include <algorithm>

namespace plk::user32 {

int ScrollBar::LargestPosition() const {
  const int span = static_cast<int>(std::max<UINT>(page, 1)) - 1;
  return std::max(minimum, maximum - span);
}

int ScrollBar::Clamp(int value) const { return std::clamp(value, minimum, LargestPosition()); }

void ScrollBar::SetRange(int newMinimum, int newMaximum) {
  minimum = newMinimum;
  maximum = std::max(newMinimum, newMaximum);
  SetPage(page);
}

void ScrollBar::SetPage(UINT newPage) {
  const auto rangeSize = static_cast<UINT>(maximum - minimum + 1);
  page = std::min(newPage, rangeSize);
  position = Clamp(position);
  trackPosition = Clamp(trackPosition);
}

ScrollBarLayout LayOutScrollBar(const ScrollBar& bar, int height) {
  ScrollBarLayout layout;
  layout.height = std::max(height, 0);
  layout.arrow = std::min(kScrollBarWidth, layout.height / 2);
  const int track = layout.height - 2 * layout.arrow;
  const int scrollable = bar.LargestPosition() - bar.minimum;
  if (bar.Disabled() || scrollable <= 0 || track <= kMinimumThumb) return layout;

  const long long rangeSize = static_cast<long long>(bar.maximum) - bar.minimum + 1;
  int length = bar.page ? static_cast<int>(track * static_cast<long long>(bar.page) / rangeSize)
                        : kScrollBarWidth;
  length = std::clamp(length, kMinimumThumb, track);
  const int shown = bar.tracking ? bar.trackPosition : bar.position;
  layout.thumbLength = length;
  layout.thumbTop = layout.arrow + static_cast<int>(static_cast<long long>(track - length) *
                                                    (bar.Clamp(shown) - bar.minimum) / scrollable);
  return layout;
}

ScrollPart HitTestScrollBar(const ScrollBar& bar, int height, int y) {
  const ScrollBarLayout layout = LayOutScrollBar(bar, height);
  if (y < 0 || y >= layout.height) return ScrollPart::None;
  if (y < layout.arrow) return ScrollPart::LineUp;
  if (y >= layout.height - layout.arrow) return ScrollPart::LineDown;
  if (layout.thumbLength == 0) return ScrollPart::None;
  if (y < layout.thumbTop) return ScrollPart::PageUp;
  if (y >= layout.thumbTop + layout.thumbLength) return ScrollPart::PageDown;
  return ScrollPart::Thumb;
}

int PositionForThumbTop(const ScrollBar& bar, int height, int thumbTop) {
  const ScrollBarLayout layout = LayOutScrollBar(bar, height);
  const int travel = layout.height - 2 * layout.arrow - layout.thumbLength;
  if (layout.thumbLength == 0 || travel <= 0) return bar.position;
  const int offset = std::clamp(thumbTop - layout.arrow, 0, travel);
  const int scrollable = bar.LargestPosition() - bar.minimum;
  // Rounded to the nearest position, so that the thumb follows the pointer evenly.
  const long long scaled = static_cast<long long>(offset) * scrollable * 2 + travel;
  return bar.Clamp(bar.minimum + static_cast<int>(scaled / (2LL * travel)));
}

}  // namespace plk::user32
