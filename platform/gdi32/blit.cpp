// Implements: BitBlt (SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, BLACKNESS, WHITENESS), PatBlt
// (PATCOPY, BLACKNESS, WHITENESS), FillRect, GetPixel and SetPixel, in logical
// coordinates, clipped to the source and destination and to a window DC's clip rectangles.
// Does not implement: other raster operations, stretching, mirroring by negative sizes,
// hatched or pattern brushes.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>

#include "gdi32/draw_target.h"
#include "gdi32/gdi_objects.h"
#include "gdi32/trace.h"

using plk::gdi::DeviceContext;
using plk::gdi::DrawTarget;
using plk::gdi::Objects;

namespace {

constexpr DWORD kPatCopy = 0x00F00021u;
// Pixels handled per step when a format has to be converted; no allocation on any path.
constexpr int kChunk = 256;

enum class Combine { kCopy, kOr, kAnd, kXor };

// Every caller passes rows that do not overlap (distinct rows, or a stack buffer).
template <class Op>
void CombineEach(std::uint32_t* __restrict dest, const std::uint32_t* __restrict source, int count,
                 Op op) {
  for (int i = 0; i < count; ++i) dest[i] = op(dest[i], source[i]);
}

void CombineRun(Combine op, std::uint32_t* dest, const std::uint32_t* source, int count) {
  switch (op) {
    case Combine::kCopy: std::copy_n(source, count, dest); break;
    case Combine::kOr: CombineEach(dest, source, count, std::bit_or<>()); break;
    case Combine::kAnd: CombineEach(dest, source, count, std::bit_and<>()); break;
    case Combine::kXor: CombineEach(dest, source, count, std::bit_xor<>()); break;
  }
}

// Both pictures 32-bit and no row read after it is written: each row combined in place,
// with the operation chosen once per area rather than per row.
template <class Op>
void CombineRows32(const plk::gdi::PixelRows& to, const RECT& part, const plk::gdi::PixelRows& from,
                   int dx, int dy, bool upwards, Op op) {
  const int width = part.right - part.left;
  for (LONG i = 0; i < part.bottom - part.top; ++i) {
    const LONG y = upwards ? part.bottom - 1 - i : part.top + i;
    CombineEach(to.Row32(y) + part.left, from.Row32(y - dy) + part.left - dx, width, op);
  }
}

void CombineArea32(Combine op, const plk::gdi::PixelRows& to, const RECT& part,
                   const plk::gdi::PixelRows& from, int dx, int dy, bool upwards) {
  switch (op) {
    case Combine::kCopy:
      CombineRows32(to, part, from, dx, dy, upwards,
                    [](std::uint32_t, std::uint32_t s) { return s; });
      break;
    case Combine::kOr: CombineRows32(to, part, from, dx, dy, upwards, std::bit_or<>()); break;
    case Combine::kAnd: CombineRows32(to, part, from, dx, dy, upwards, std::bit_and<>()); break;
    case Combine::kXor: CombineRows32(to, part, from, dx, dy, upwards, std::bit_xor<>()); break;
  }
}

// Combines `count` source pixels into the destination row, converting formats in chunks
// through a stack buffer (which also makes overlapping copies within one row safe).
void BlitRun(Combine op, const plk::gdi::PixelRows& to, int x, int y,
             const plk::gdi::PixelRows& from, int sx, int sy, int count) {
  const bool sameRow = to.Row(y) == from.Row(sy);
  std::uint32_t source[kChunk];
  std::uint32_t dest[kChunk];
  const bool backwards = sameRow && x > sx;
  for (int done = 0; done < count;) {
    const int n = std::min(kChunk, count - done);
    const int at = backwards ? count - done - n : done;
    plk::gdi::ReadPixels(from, sx + at, sy, n, source);
    if (std::uint32_t* row = to.Row32(y)) {
      CombineRun(op, row + x + at, source, n);
    } else {
      plk::gdi::ReadPixels(to, x + at, y, n, dest);
      CombineRun(op, dest, source, n);
      plk::gdi::WritePixels(to, x + at, y, n, dest);
    }
    done += n;
  }
}

bool SourceOp(DWORD rop, Combine& op) {
  switch (rop) {
    case SRCCOPY: op = Combine::kCopy; return true;
    case SRCPAINT: op = Combine::kOr; return true;
    case SRCAND: op = Combine::kAnd; return true;
    case SRCINVERT: op = Combine::kXor; return true;
    default: return false;
  }
}

bool ConstantOp(DWORD rop, std::uint32_t& pixel) {
  switch (rop) {
    case BLACKNESS: pixel = 0; return true;
    case WHITENESS: pixel = 0xFFFFFFu; return true;
    default: return false;
  }
}

void CopyArea(Combine op, const DrawTarget& to, RECT destRect, const DrawTarget& from,
              POINT sourceOrigin) {
  // Only destination pixels whose source pixel exists take part.
  const int dx = destRect.left - sourceOrigin.x;
  const int dy = destRect.top - sourceOrigin.y;
  const RECT& sb = from.Bounds();
  destRect =
      plk::gdi::Intersect(destRect, {sb.left + dx, sb.top + dy, sb.right + dx, sb.bottom + dy});
  const bool sameRows = to.Rows().row0 == from.Rows().row0;
  const bool upwards = sameRows && dy > 0;  // copying down within one picture
  // Rows of one picture overlap only when the copy stays on the same rows.
  const bool direct =
      to.Rows().bitsPerPixel == 32 && from.Rows().bitsPerPixel == 32 && !(sameRows && dy == 0);
  to.ForEachClipped(destRect, [&](const RECT& part) {
    if (direct) {
      CombineArea32(op, to.Rows(), part, from.Rows(), dx, dy, upwards);
    } else {
      const int width = part.right - part.left;
      for (LONG i = 0; i < part.bottom - part.top; ++i) {
        const LONG y = upwards ? part.bottom - 1 - i : part.top + i;
        BlitRun(op, to.Rows(), part.left, y, from.Rows(), part.left - dx, y - dy, width);
      }
    }
    to.MarkChanged(part);
  });
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop) {
  auto lock = Objects().Lock();
  const DeviceContext* destDc = Objects().Get<DeviceContext>(dest);
  if (!destDc) return FALSE;
  const DrawTarget to(*destDc);
  std::uint32_t constant = 0;
  if (ConstantOp(rop, constant)) {
    if (width > 0 && height > 0) to.Fill(to.ToPixels(x, y, width, height), constant);
    return TRUE;
  }
  Combine op;
  const DeviceContext* sourceDc = Objects().Get<DeviceContext>(source);
  if (!SourceOp(rop, op) || !sourceDc) {
    plk::gdi::Trace("BitBlt refused: raster operation 0x%08x, source DC %p",
                    static_cast<unsigned>(rop), static_cast<void*>(source));
    return FALSE;
  }
  if (width <= 0 || height <= 0) return TRUE;
  const RECT destRect = to.ToPixels(x, y, width, height);
  if (to.Misses(destRect)) return TRUE;  // wholly clipped: most keys of a scrolled strip
  const DrawTarget from(*sourceDc);
  if (!from.HasPixels()) return TRUE;
  const RECT sourceRect = from.ToPixels(sourceX, sourceY, 0, 0);
  const POINT sourceOrigin = {sourceRect.left, sourceRect.top};
  CopyArea(op, to, destRect, from, sourceOrigin);
  return TRUE;
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
  auto lock = Objects().Lock();
  const DeviceContext* d = Objects().Get<DeviceContext>(dc);
  if (!d) return FALSE;
  std::uint32_t pixel = 0;
  if (rop == kPatCopy) {
    if (d->brush.object->hollow) return TRUE;
    pixel = plk::gdi::XrgbFromColorRef(d->brush.object->color);
  } else if (!ConstantOp(rop, pixel)) {
    return FALSE;
  }
  if (width <= 0 || height <= 0) return TRUE;
  const DrawTarget target(*d);
  target.Fill(target.ToPixels(x, y, width, height), pixel);
  return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brushHandle) {
  auto lock = Objects().Lock();
  const DeviceContext* d = Objects().Get<DeviceContext>(dc);
  const plk::gdi::Brush* brush = Objects().Get<plk::gdi::Brush>(brushHandle);
  if (!d || !brush || !rect) return 0;
  if (brush->hollow || rect->right <= rect->left || rect->bottom <= rect->top) return 1;
  const DrawTarget target(*d);
  const RECT pixels = target.ToPixels(rect->left, rect->top, std::int64_t{rect->right} - rect->left,
                                      std::int64_t{rect->bottom} - rect->top);
  target.Fill(pixels, plk::gdi::XrgbFromColorRef(brush->color));
  return 1;
}

COLORREF GetPixel(HDC dc, int x, int y) {
  auto lock = Objects().Lock();
  const DeviceContext* d = Objects().Get<DeviceContext>(dc);
  if (!d) return CLR_INVALID;
  const DrawTarget target(*d);
  const RECT at = target.ToPixels(x, y, 1, 1);
  if (!target.Contains(at.left, at.top)) return CLR_INVALID;
  std::uint32_t pixel = 0;
  plk::gdi::ReadPixels(target.Rows(), at.left, at.top, 1, &pixel);
  return plk::gdi::ColorRefFromXrgb(pixel);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  auto lock = Objects().Lock();
  const DeviceContext* d = Objects().Get<DeviceContext>(dc);
  if (!d) return CLR_INVALID;
  const DrawTarget target(*d);
  const RECT at = target.ToPixels(x, y, 1, 1);
  if (!target.Contains(at.left, at.top)) return CLR_INVALID;
  std::uint32_t pixel = plk::gdi::XrgbFromColorRef(color);
  plk::gdi::WritePixels(target.Rows(), at.left, at.top, 1, &pixel);
  target.MarkChanged(at);
  // Indexed formats store the nearest palette colour; report what was stored.
  plk::gdi::ReadPixels(target.Rows(), at.left, at.top, 1, &pixel);
  return plk::gdi::ColorRefFromXrgb(pixel);
}
