// Text on fixed 6-pixel cells, unsmoothed, with the Japanese gothic face name resolved
// through fontconfig.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "gdi32/font_face.h"
#include "gdi32/tests/gdi_test_support.h"

namespace plk::gdi::testing {
namespace {

// The Japanese gothic face name in code page 932.
constexpr const char* kGothicCp932 = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(0, 0, 0);

HFONT RowFont() {
  return CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     kGothicCp932);
}

// A white canvas with the row font selected, black transparent text.
class TextCanvas {
 public:
  TextCanvas(int width, int height) : canvas_(width, height, kWhite), font_(RowFont()) {
    previous_ = SelectObject(canvas_.dc(), font_);
    SetTextColor(canvas_.dc(), kInk);
    SetBkMode(canvas_.dc(), TRANSPARENT);
  }
  ~TextCanvas() {
    SelectObject(canvas_.dc(), previous_);
    DeleteObject(font_);
  }
  HDC dc() const { return canvas_.dc(); }
  const MemoryCanvas& canvas() const { return canvas_; }

  // Columns holding ink within [left, right), as a set of x.
  std::set<int> InkColumns(int left, int right) const {
    std::set<int> columns;
    const std::vector<COLORREF> pixels = canvas_.Pixels();
    for (int y = 0; y < canvas_.height(); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, canvas_.width()); ++x) {
        if (pixels[y * canvas_.width() + x] != kWhite) columns.insert(x);
      }
    }
    return columns;
  }

 private:
  MemoryCanvas canvas_;
  HFONT font_;
  HGDIOBJ previous_;
};

TEST(FontResolutionTest, TheCp932GothicNameResolvesToIpaGothic) {
  auto face = FontFace::Find({12, FW_NORMAL, kGothicCp932});
  ASSERT_NE(face, nullptr) << "no font found; fonts-ipafont-gothic is a build dependency";
  EXPECT_EQ(face->Family(), "IPAGothic");
  EXPECT_EQ(face->Metrics().cellHeight, 12);
  EXPECT_EQ(face->Metrics().cellWidth, 6);
  // Unknown names land on the same face rather than on a proportional one.
  EXPECT_EQ(FontFace::Find({12, FW_NORMAL, "No Such Face 123"})->Family(), "IPAGothic");
}

TEST(FontResolutionTest, GlyphsAreRenderedOnceAndCached) {
  auto face = FontFace::Find({12, FW_NORMAL, kGothicCp932});
  ASSERT_NE(face, nullptr);
  const Glyph& first = face->GlyphFor('7');
  EXPECT_EQ(&face->GlyphFor('7'), &first);
  EXPECT_GT(first.width, 0);
  EXPECT_LE(first.left + first.width, 6);  // a half-width digit fits its cell
}

TEST(TextOutTest, InstrumentNumbersOfTheHeaderLineStartAtTheirColumns) {
  char line[64];
  std::snprintf(line, sizeof line, "Channel = %2u Base key = %4s Instrument = %3u %3u %3u", 1u,
                "C4", 100u, 100u, 100u);
  TextCanvas text(340, 16);
  ASSERT_TRUE(TextOutA(text.dc(), 2, 2, line, static_cast<int>(std::strlen(line))));
  for (int start : {254, 278, 302}) {
    SCOPED_TRACE(start);
    // '1' '0' '0' occupy the three cells from `start`; the cell before is a space.
    EXPECT_TRUE(text.InkColumns(start - 6, start).empty());
    for (int cell = 0; cell < 3; ++cell) {
      const std::set<int> ink = text.InkColumns(start + 6 * cell, start + 6 * cell + 6);
      EXPECT_FALSE(ink.empty()) << "cell " << cell;
    }
  }
}

TEST(TextOutTest, EveryDigitDrawnAtAColumnKeepsItsUnsmoothedInkInItsCell) {
  for (char digit = '0'; digit <= '9'; ++digit) {
    SCOPED_TRACE(digit);
    TextCanvas text(280, 20);
    ASSERT_TRUE(TextOutA(text.dc(), 254, 3, &digit, 1));
    const std::vector<COLORREF> pixels = text.canvas().Pixels();
    int inkPixels = 0;
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 280; ++x) {
        const COLORREF p = pixels[y * 280 + x];
        if (p == kWhite) continue;
        ++inkPixels;
        EXPECT_EQ(p, kInk) << "smoothed pixel at " << x << "," << y;
        EXPECT_TRUE(x >= 254 && x <= 259 && y >= 3 && y < 15) << "ink at " << x << "," << y;
      }
    }
    EXPECT_GT(inkPixels, 4);
    if (HasFailure()) DumpPpm(std::string("digit_") + digit, 280, 20, pixels);
  }
}

TEST(TextOutTest, ALineLooksLikeItsCharactersDrawnOneCellApart) {
  const char* line = "Base key = C#4";
  TextCanvas whole(100, 16);
  TextCanvas single(100, 16);
  TextOutA(whole.dc(), 1, 2, line, 14);
  for (int i = 0; i < 14; ++i) TextOutA(single.dc(), 1 + 6 * i, 2, line + i, 1);
  const std::vector<COLORREF> expected = single.canvas().Pixels();
  EXPECT_TRUE(PixelsMatch("cells", 100, 16, whole.canvas().Pixels(),
                          [&](int x, int y) { return expected[y * 100 + x]; }));
}

TEST(TextOutTest, OpaqueModeFillsExactlyTheCellsWithTheBackgroundColour) {
  TextCanvas text(40, 20);
  SetBkMode(text.dc(), OPAQUE);
  SetBkColor(text.dc(), RGB(0, 0, 255));
  SetTextColor(text.dc(), RGB(255, 255, 0));
  SetWindowOrgEx(text.dc(), 0, 10, nullptr);
  TextOutA(text.dc(), 3, 14, "  ", 2);  // device (3, 4), two blank cells
  SetWindowOrgEx(text.dc(), 0, 0, nullptr);
  EXPECT_TRUE(PixelsMatch("opaque", 40, 20, text.canvas().Pixels(), [](int x, int y) {
    return x >= 3 && x < 15 && y >= 4 && y < 16 ? RGB(0, 0, 255) : kWhite;
  }));
  TextOutA(text.dc(), 20, 0, "8", 1);
  for (int y = 0; y < 12; ++y) {
    for (int x = 20; x < 26; ++x) {
      const COLORREF p = GetPixel(text.dc(), x, y);
      EXPECT_TRUE(p == RGB(0, 0, 255) || p == RGB(255, 255, 0)) << x << "," << y;
    }
  }
}

TEST(TextOutTest, ExtentAndMetricsDescribeTheCells) {
  TextCanvas text(10, 10);
  SIZE size = {};
  ASSERT_TRUE(GetTextExtentPoint32A(text.dc(), "Channel", 7, &size));
  EXPECT_EQ(size.cx, 42);
  EXPECT_EQ(size.cy, 12);
  TEXTMETRICA tm = {};
  ASSERT_TRUE(GetTextMetricsA(text.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, 12);
  EXPECT_EQ(tm.tmAveCharWidth, 6);
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, 12);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
  EXPECT_EQ(tm.tmPitchAndFamily & 1, 0);  // the TMPF_FIXED_PITCH bit is clear for fixed pitch
  EXPECT_FALSE(GetTextExtentPoint32A(text.dc(), "x", -1, &size));
  EXPECT_FALSE(TextOutA(text.dc(), 0, 0, nullptr, 3));
}

TEST(TextOutTest, WindowDcTextIsClippedToTheTarget) {
  TestSurface surface(60, 20, 0xFFFFFFu);
  HDC dc = CreateWindowDC();
  RetargetWindowDC(dc, surface.Target({0, 0}, {{0, 0, 9, 20}}));
  HFONT font = RowFont();
  HGDIOBJ previous = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  ASSERT_TRUE(TextOutA(dc, 0, 2, "88888", 5));
  EXPECT_TRUE(surface.changed);
  bool inkInside = false;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (surface.At(x, y) == 0xFFFFFFu) continue;
      EXPECT_LT(x, 9) << "ink outside the clip at " << x << "," << y;
      inkInside = true;
    }
  }
  EXPECT_TRUE(inkInside);
  SelectObject(dc, previous);
  DeleteObject(font);
  DestroyWindowDC(dc);
}

TEST(TextOutTest, TheDialogFaceAdvancesEachCharacterByItsOwnWidth) {
  MemoryCanvas canvas(120, 24, kWhite);
  HFONT font =
      CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, "MS Shell Dlg 2");
  HGDIOBJ previous = SelectObject(canvas.dc(), font);
  SIZE narrow = {}, wide = {}, mixed = {};
  GetTextExtentPoint32A(canvas.dc(), "iiii", 4, &narrow);
  GetTextExtentPoint32A(canvas.dc(), "WWWW", 4, &wide);
  GetTextExtentPoint32A(canvas.dc(), "iW", 2, &mixed);
  EXPECT_LT(2 * narrow.cx, wide.cx);
  EXPECT_EQ(mixed.cx, (narrow.cx + wide.cx) / 4);
  TEXTMETRICA tm = {};
  GetTextMetricsA(canvas.dc(), &tm);
  EXPECT_EQ(tm.tmPitchAndFamily & 1, 1) << "variable pitch";
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 12) << "a negative height is the em height";
  SetBkMode(canvas.dc(), TRANSPARENT);
  TextOutA(canvas.dc(), 0, 0, "WWWW", 4);
  int lastInk = -1;
  const std::vector<COLORREF> pixels = canvas.Pixels();
  for (int i = 0; i < 120 * 24; ++i) {
    if (pixels[i] != kWhite) lastInk = std::max(lastInk, i % 120);
  }
  EXPECT_NEAR(lastInk, wide.cx, 2) << "the ink ends where the extent says";
  SelectObject(canvas.dc(), previous);
  DeleteObject(font);
}

}  // namespace
}  // namespace plk::gdi::testing
