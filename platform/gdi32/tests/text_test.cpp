// Text on fixed 6-pixel cells, unsmoothed, with the Japanese gothic face name resolved
// through fontconfig.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "gdi32/font_face.h"
#include "gdi32/tests/gdi_test_support.h"

namespace plk::gdi::testing {
namespace {

// The Japanese gothic face name in code page 932.
constexpr const char* kGothicCp932 = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A white canvas with the row font selected, black transparent text.
struct TextCanvas : MemoryCanvas {
  TextCanvas(int width, int height) : MemoryCanvas(width, height, kWhite) {
    SelectObject(dc(), font);
    SetBkMode(dc(), TRANSPARENT);
  }
  ~TextCanvas() {
    SelectObject(dc(), GetStockObject(SYSTEM_FIXED_FONT));
    DeleteObject(font);
  }
  HFONT font =
      CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, kGothicCp932);
};

TEST(FontResolutionTest, TheCp932GothicNameResolvesToIpaGothic) {
  auto face = FontFace::Find({12, FW_NORMAL, kGothicCp932});
  ASSERT_NE(face, nullptr) << "no font found; fonts-ipafont-gothic is a build dependency";
  EXPECT_EQ(face->Family(), "IPAGothic");
  // Unknown names land on the same face rather than on a proportional one.
  EXPECT_EQ(FontFace::Find({12, FW_NORMAL, "No Such Face 123"})->Family(), "IPAGothic");
}

TEST(FontResolutionTest, MetricsTellTheFacesPitchAndFixedRequestsGetAMonospacedFace) {
  const struct {
    int width;
    DWORD pitchAndFamily;
    const char* face;
    bool proportional;
  } cases[] = {{0, DEFAULT_PITCH, "IPAPGothic", true},
               {8, FIXED_PITCH | FF_MODERN, nullptr, false},
               {6, DEFAULT_PITCH | FF_MODERN, "No Such Face 123", false}};
  // Even where unknown names get a proportional face, fixed requests get a monospaced one.
  ResolveUnknownNamesTo("IPAPGothic");
  for (const auto& c : cases) {
    MemoryCanvas canvas(4, 4, kWhite);
    HFONT font = CreateFontA(12, c.width, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             c.pitchAndFamily, c.face);
    HGDIOBJ previous = SelectObject(canvas.dc(), font);
    TEXTMETRICA tm = {};
    char face[LF_FACESIZE] = "";
    ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &tm));
    GetTextFaceA(canvas.dc(), sizeof face, face);
    SCOPED_TRACE(face);
    EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, c.proportional ? TMPF_FIXED_PITCH : 0);
    EXPECT_EQ(tm.tmHeight, 12);
    if (c.proportional) {
      EXPECT_GT(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    } else {
      EXPECT_EQ(tm.tmAveCharWidth, c.width);
    }
    SelectObject(canvas.dc(), previous);
    DeleteObject(font);
  }
  ResolveUnknownNamesTo(nullptr);
}

TEST(TextOutTest, EveryDigitKeepsItsUnsmoothedInkInItsCell) {
  for (char digit = '0'; digit <= '9'; ++digit) {
    SCOPED_TRACE(digit);
    TextCanvas text(20, 20);
    ASSERT_TRUE(TextOutA(text.dc(), 8, 3, &digit, 1));
    const std::vector<COLORREF> pixels = text.Pixels();
    int inkPixels = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const std::size_t x = i % 20;
      const std::size_t y = i / 20;
      if (pixels[i] == kWhite) continue;
      ++inkPixels;
      EXPECT_EQ(pixels[i], RGB(0, 0, 0)) << "smoothed pixel at " << x << "," << y;
      EXPECT_TRUE(x >= 8 && x < 14 && y >= 3 && y < 15) << "ink at " << x << "," << y;
    }
    EXPECT_GT(inkPixels, 4);
  }
}

TEST(TextOutTest, ALineLooksLikeItsCharactersDrawnOneCellApart) {
  const char* line = "Base key = C#4";
  TextCanvas whole(100, 16);
  TextCanvas single(100, 16);
  TextOutA(whole.dc(), 1, 2, line, 14);
  for (int i = 0; i < 14; ++i) TextOutA(single.dc(), 1 + 6 * i, 2, line + i, 1);
  const std::vector<COLORREF> expected = single.Pixels();
  EXPECT_TRUE(
      PixelsMatch(100, whole.Pixels(), [&](int x, int y) { return expected[y * 100 + x]; }));
}

TEST(TextOutTest, OpaqueModeFillsExactlyTheCellsWithTheBackgroundColour) {
  TextCanvas text(40, 20);
  SetBkMode(text.dc(), OPAQUE);
  SetBkColor(text.dc(), RGB(0, 0, 255));
  SetWindowOrgEx(text.dc(), 0, 10, nullptr);
  TextOutA(text.dc(), 3, 14, "  ", 2);  // device (3, 4), two blank cells
  SetWindowOrgEx(text.dc(), 0, 0, nullptr);
  EXPECT_TRUE(PixelsMatch(40, text.Pixels(), [](int x, int y) {
    return x >= 3 && x < 15 && y >= 4 && y < 16 ? RGB(0, 0, 255) : kWhite;
  }));
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
  EXPECT_EQ(tm.tmPitchAndFamily & 1, 0);  // the TMPF_FIXED_PITCH bit is clear for fixed pitch
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
