// Implements: CreateFontA (height, width, weight, pitch and family and face are kept),
// TextOutA on fixed character cells, or by each character's advance for proportional faces
// (TRANSPARENT, or OPAQUE filling the cells with the background colour; (x, y) is the
// top-left of the first cell, the baseline lies `ascent` below it), GetTextExtentPoint32A,
// GetTextMetricsA (the pitch and widths of the face found) and GetTextFaceA.
// Does not implement: text alignment modes, double-byte characters, intercharacter
// spacing, escapement, underline and strike-out.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "gdi32/draw_target.h"
#include "gdi32/font_face.h"
#include "gdi32/gdi_objects.h"

using plk::gdi::DeviceContext;
using plk::gdi::DrawTarget;
using plk::gdi::FontFace;
using plk::gdi::FontMetrics;
using plk::gdi::Objects;

namespace {

constexpr BYTE kTrueTypeVector = TMPF_VECTOR | TMPF_TRUETYPE;

FontFace* FaceOf(plk::gdi::Font& font) {
  if (!font.resolved) {
    font.face = FontFace::Find(font.request);
    font.resolved = true;
  }
  return font.face.get();
}

FontMetrics MetricsOf(plk::gdi::Font& font) {
  const FontFace* face = FaceOf(font);
  return face ? face->Metrics() : plk::gdi::NominalMetrics(font.request.height);
}

std::int64_t WidthOf(plk::gdi::Font& font, LPCSTR text, int length) {
  FontFace* face = FaceOf(font);
  if (!face || !face->Metrics().proportional) {
    return std::int64_t{MetricsOf(font).cellWidth} * length;
  }
  std::int64_t width = 0;
  for (int i = 0; i < length; ++i) width += face->Advance(static_cast<unsigned char>(text[i]));
  return width;
}

void DrawGlyph(const DrawTarget& target, const plk::gdi::Glyph& glyph, int penX, int baseline,
               std::uint32_t color) {
  const RECT box = {penX + glyph.left, baseline - glyph.top, penX + glyph.left + glyph.width,
                    baseline - glyph.top + glyph.rows};
  if (target.Misses(box)) return;
  target.ForEachClipped(box, [&](const RECT& part) {
    for (LONG y = part.top; y < part.bottom; ++y) {
      const std::uint8_t* ink = glyph.ink.data() + (y - box.top) * glyph.width - box.left;
      std::uint32_t* row = target.Rows().Row32(y);
      for (LONG x = part.left; x < part.right; ++x) {
        if (!ink[x]) continue;
        if (row) {
          row[x] = color;
        } else {
          plk::gdi::WritePixels(target.Rows(), x, y, 1, &color);
        }
      }
    }
    target.MarkChanged(part);
  });
}

}  // namespace

HFONT CreateFontA(int height, int width, int /*escapement*/, int /*orientation*/, int weight,
                  DWORD /*italic*/, DWORD /*underline*/, DWORD /*strikeOut*/, DWORD /*charSet*/,
                  DWORD /*outPrecision*/, DWORD /*clipPrecision*/, DWORD /*quality*/,
                  DWORD pitchAndFamily, LPCSTR faceName) {
  plk::gdi::FontRequest request;
  request.height = height;
  request.width = width < 0 ? -width : width;
  request.pitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  request.weight = weight == FW_DONTCARE ? FW_NORMAL : weight;
  if (faceName) request.face.assign(faceName, strnlen(faceName, LF_FACESIZE - 1));
  auto lock = Objects().Lock();
  return static_cast<HFONT>(Objects().Add(std::make_shared<plk::gdi::Font>(std::move(request))));
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  auto lock = Objects().Lock();
  DeviceContext* d = Objects().Get<DeviceContext>(dc);
  if (!d || length < 0 || (!text && length > 0)) return FALSE;
  FontFace* face = FaceOf(*d->font.object);
  if (!face) return FALSE;
  const FontMetrics& m = face->Metrics();
  const DrawTarget target(*d);
  const RECT cells = target.ToPixels(x, y, WidthOf(*d->font.object, text, length), m.cellHeight);
  if (d->bkMode == OPAQUE) target.Fill(cells, plk::gdi::XrgbFromColorRef(d->bkColor));
  const std::uint32_t color = plk::gdi::XrgbFromColorRef(d->textColor);
  int penX = cells.left;
  for (int i = 0; i < length && penX < cells.right; ++i) {  // the rest lies beyond any surface
    const auto character = static_cast<unsigned char>(text[i]);
    DrawGlyph(target, face->GlyphFor(character), penX, cells.top + m.ascent, color);
    penX += face->Advance(character);
  }
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
  auto lock = Objects().Lock();
  DeviceContext* d = Objects().Get<DeviceContext>(dc);
  if (!d || !size || length < 0 || (!text && length > 0)) return FALSE;
  const std::int64_t width = WidthOf(*d->font.object, text, length);
  size->cx = static_cast<LONG>(std::min<std::int64_t>(width, 0x7FFFFFFF));
  size->cy = MetricsOf(*d->font.object).cellHeight;
  return TRUE;
}

BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics) {
  auto lock = Objects().Lock();
  DeviceContext* d = Objects().Get<DeviceContext>(dc);
  if (!d || !metrics) return FALSE;
  plk::gdi::Font& font = *d->font.object;
  const FontMetrics m = MetricsOf(font);
  TEXTMETRICA tm = {};
  tm.tmHeight = m.cellHeight;
  tm.tmAscent = m.ascent;
  tm.tmDescent = m.cellHeight - m.ascent;
  tm.tmInternalLeading = m.cellHeight - m.emPixels;
  tm.tmAveCharWidth = m.averageWidth;
  tm.tmMaxCharWidth = m.maxWidth;
  tm.tmWeight = font.request.weight;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFF;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  // The bit's name is the reverse of its meaning: it is set for variable pitch.
  tm.tmPitchAndFamily = kTrueTypeVector | (m.proportional ? FF_SWISS : FF_MODERN) |
                        (m.fixedPitch ? 0 : TMPF_FIXED_PITCH);
  tm.tmCharSet = m.proportional ? ANSI_CHARSET : SHIFTJIS_CHARSET;
  *metrics = tm;
  return TRUE;
}

int GetTextFaceA(HDC dc, int count, LPSTR faceName) {
  auto lock = Objects().Lock();
  DeviceContext* d = Objects().Get<DeviceContext>(dc);
  if (!d || count < 0) return 0;
  const FontFace* face = FaceOf(*d->font.object);
  const std::string family = face ? face->Family() : std::string();
  // Like Windows: the size with the terminator when asked without a buffer, else the
  // characters copied without it.
  if (!faceName) return static_cast<int>(family.size()) + 1;
  if (count == 0) return 0;
  const std::size_t copied = std::min(family.size(), static_cast<std::size_t>(count) - 1);
  std::memcpy(faceName, family.data(), copied);
  faceName[copied] = '\0';
  return static_cast<int>(copied);
}
