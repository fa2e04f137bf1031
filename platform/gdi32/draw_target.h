// Implements: where a DC's drawing lands. Logical coordinates minus the window origin give
// device coordinates; a memory DC's device is its selected bitmap, a window DC's device
// lies at the target's origin in the window surface and may change only inside the
// target's clip rectangles; the screen DC has no pixels.
// Does not implement: viewport origins, mapping modes, clip regions set through GDI.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gdi32/gdi_objects.h"
#include "gdi32/pixel_rows.h"
#include "gdi32/rects.h"

namespace plk::gdi {

class DrawTarget {
 public:
  explicit DrawTarget(const DeviceContext& dc);

  const PixelRows& Rows() const { return rows_; }
  // Added to a logical point to give its pixel position.
  POINT Shift() const { return shift_; }
  // Pixel rectangle of everything that can be read (the whole bitmap or surface).
  const RECT& Bounds() const { return bounds_; }
  bool HasPixels() const { return rows_.row0 != nullptr; }

  // Calls visit(rect) for the part of `pixelRect` inside each clip rectangle.
  template <class Visit>
  void ForEachClipped(const RECT& pixelRect, Visit visit) const {
    if (!HasPixels()) return;
    if (!clip_) {
      const RECT part = Intersect(pixelRect, bounds_);
      if (!IsEmpty(part)) visit(part);
      return;
    }
    for (const RECT& c : *clip_) {
      const RECT part = Intersect(Intersect(pixelRect, c), bounds_);
      if (!IsEmpty(part)) visit(part);
    }
  }
  bool Contains(int x, int y) const;
  // Whether no pixel of `pixelRect` may be drawn: a blit there can stop at once.
  bool Misses(const RECT& pixelRect) const { return IsEmpty(Intersect(pixelRect, reach_)); }

  // The pixel rectangle of a logical one given by its corner and size, kept far from
  // overflow whatever the caller passes.
  RECT ToPixels(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) const;
  // Fills the clipped part of a pixel rectangle with one 0x00RRGGBB colour.
  void Fill(const RECT& pixelRect, std::uint32_t pixel) const;

  // Records that pixels inside `pixelRect` were written.
  void MarkChanged(const RECT& pixelRect) const {
    if (damage_) damage_->Add(pixelRect);
  }

 private:
  PixelRows rows_;
  POINT shift_ = {0, 0};
  RECT bounds_ = {0, 0, 0, 0};
  const std::vector<RECT>* clip_ = nullptr;  // null: the whole bounds
  RECT reach_ = {0, 0, 0, 0};                // the bounds of what may be drawn
  DamagedAreas* damage_ = nullptr;
};

}  // namespace plk::gdi
