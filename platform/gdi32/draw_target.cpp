// Implements: the mapping from a DC to the pixels it draws into.
// Does not implement: viewport origins, mapping modes, clip regions set through GDI.
#include "gdi32/draw_target.h"

namespace plk::gdi {
namespace {

// Pixels handled per step when a format has to be converted.
constexpr int kChunk = 256;

LONG Clamp(std::int64_t v) {
  return static_cast<LONG>(std::clamp<std::int64_t>(v, -(1 << 30), 1 << 30));
}

void FillRun(const PixelRows& to, int x, int y, int count, std::uint32_t pixel) {
  if (std::uint32_t* row = to.Row32(y)) {
    std::fill_n(row + x, count, pixel);
    return;
  }
  std::uint32_t run[kChunk];
  std::fill_n(run, kChunk, pixel);
  for (int done = 0; done < count; done += kChunk) {
    WritePixels(to, x + done, y, std::min(kChunk, count - done), run);
  }
}

}  // namespace

DrawTarget::DrawTarget(const DeviceContext& dc) {
  POINT offset = {0, 0};
  if (dc.type == DeviceContext::Type::kMemory && dc.bitmap.object) {
    rows_ = dc.bitmap.object->Rows();
  } else if (dc.type == DeviceContext::Type::kWindow && dc.target.surface.pixels) {
    const PixelSurface& surface = dc.target.surface;
    rows_.row0 = reinterpret_cast<std::uint8_t*>(surface.pixels);
    rows_.strideBytes = static_cast<std::ptrdiff_t>(surface.stride) * 4;
    rows_.width = surface.width;
    rows_.height = surface.height;
    rows_.bitsPerPixel = 32;
    offset = dc.target.origin;
    clip_ = &dc.target.clip;
    damage_ = dc.target.damage;
  } else {
    return;
  }
  bounds_ = {0, 0, rows_.width, rows_.height};
  reach_ = clip_ ? Intersect(dc.clipBounds, bounds_) : bounds_;
  shift_ = {offset.x - dc.windowOrigin.x, offset.y - dc.windowOrigin.y};
}

bool DrawTarget::Contains(int x, int y) const {
  bool inside = false;
  ForEachClipped({x, y, x + 1, y + 1}, [&](const RECT&) { inside = true; });
  return inside;
}

RECT DrawTarget::ToPixels(std::int64_t x, std::int64_t y, std::int64_t width,
                          std::int64_t height) const {
  const std::int64_t left = x + shift_.x;
  const std::int64_t top = y + shift_.y;
  return {Clamp(left), Clamp(top), Clamp(left + width), Clamp(top + height)};
}

void DrawTarget::Fill(const RECT& pixelRect, std::uint32_t pixel) const {
  ForEachClipped(pixelRect, [&](const RECT& part) {
    for (LONG y = part.top; y < part.bottom; ++y) {
      FillRun(rows_, part.left, y, part.right - part.left, pixel);
    }
    MarkChanged(part);
  });
}

}  // namespace plk::gdi
