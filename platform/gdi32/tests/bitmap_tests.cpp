// DIB sections in every depth, GetObjectA, and the BMP file reader's bounds checks.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdi32/tests/gdi_test_support.h"

namespace plk::gdi::testing {
namespace {

constexpr int kWidth = 5;  // odd, so every depth needs row padding
constexpr int kHeight = 3;

// Palette index of each pixel, and the colours of a 16-entry table (1 bit uses the first 2).
int IndexAt(int x, int y, int bits) { return (x + 2 * y) % (bits == 1 ? 2 : 16); }
COLORREF PaletteColor(int i) { return RGB(10 * i + 5, 255 - 9 * i, 7 * i); }
COLORREF DirectColor(int x, int y) { return RGB(40 * x + 8, 70 * y + 16, 200 - 8 * x); }

struct DibImage {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

DibImage MakeHeader(int bits, bool topDown, int colorsUsed) {
  DibImage image = {};
  image.header.biSize = sizeof(BITMAPINFOHEADER);
  image.header.biWidth = kWidth;
  image.header.biHeight = topDown ? -kHeight : kHeight;
  image.header.biPlanes = 1;
  image.header.biBitCount = static_cast<WORD>(bits);
  image.header.biCompression = BI_RGB;
  image.header.biClrUsed = static_cast<DWORD>(colorsUsed);
  for (int i = 0; i < 256; ++i) {
    const COLORREF c = PaletteColor(i);
    image.colors[i] = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
  }
  return image;
}

COLORREF ExpectedColor(int x, int y, int bits) {
  return bits <= 8 ? PaletteColor(IndexAt(x, y, bits)) : DirectColor(x, y);
}

// Pixel bytes exactly as they appear in a BMP file of that depth and row order.
std::vector<std::uint8_t> EncodePixels(int bits, bool topDown) {
  const int stride = (kWidth * bits + 31) / 32 * 4;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stride) * kHeight, 0);
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = bytes.data() + stride * (topDown ? y : kHeight - 1 - y);
    for (int x = 0; x < kWidth; ++x) {
      const int index = IndexAt(x, y, bits);
      const COLORREF c = DirectColor(x, y);
      switch (bits) {
        case 1: row[x / 8] |= static_cast<std::uint8_t>(index << (7 - x % 8)); break;
        case 4: row[x / 2] |= static_cast<std::uint8_t>(index << (x % 2 ? 0 : 4)); break;
        case 8: row[x] = static_cast<std::uint8_t>(index); break;
        case 24:
        case 32: {
          std::uint8_t* p = row + x * bits / 8;
          p[0] = GetBValue(c);
          p[1] = GetGValue(c);
          p[2] = GetRValue(c);
          break;
        }
      }
    }
  }
  return bytes;
}

struct DepthCase {
  int bits;
  bool topDown;
};

const DepthCase kDepths[] = {{1, false}, {1, true},   {4, false}, {4, true},   {8, false},
                             {8, true},  {24, false}, {24, true}, {32, false}, {32, true}};

TEST(DibSectionTest, PixelsWrittenThroughTheBitsPointerBlitInTheirColours) {
  for (const DepthCase& c : kDepths) {
    SCOPED_TRACE(::testing::Message() << c.bits << " bits, top-down " << c.topDown);
    DibImage image = MakeHeader(c.bits, c.topDown, 0);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&image), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    ASSERT_NE(bits, nullptr);
    const std::vector<std::uint8_t> pixels = EncodePixels(c.bits, c.topDown);
    std::memcpy(bits, pixels.data(), pixels.size());

    HDC dibDc = CreateCompatibleDC(nullptr);
    HGDIOBJ initial = SelectObject(dibDc, dib);
    MemoryCanvas copy(kWidth, kHeight, RGB(1, 1, 1));
    BitBlt(copy.dc(), 0, 0, kWidth, kHeight, dibDc, 0, 0, SRCCOPY);
    EXPECT_TRUE(PixelsMatch("dib_depth", kWidth, kHeight, copy.Pixels(),
                            [&](int x, int y) { return ExpectedColor(x, y, c.bits); }));
    SelectObject(dibDc, initial);
    DeleteDC(dibDc);
    EXPECT_TRUE(DeleteObject(dib));
  }
}

TEST(DibSectionTest, DrawingIntoAnIndexedDibStoresTheNearestPaletteEntry) {
  DibImage image = MakeHeader(4, false, 3);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&image), DIB_RGB_COLORS,
                                 &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ initial = SelectObject(dc, dib);
  const COLORREF nearTwo = PaletteColor(2) + 1;
  EXPECT_EQ(SetPixel(dc, 3, 0, nearTwo), PaletteColor(2));
  // Bottom-up: picture row 0 is the last memory row; x 3 is the low nibble of byte 1.
  const auto* memory = static_cast<const std::uint8_t*>(bits);
  EXPECT_EQ(memory[4 * (kHeight - 1) + 1] & 0x0F, 2);
  // Indices past a short colour table read as black.
  std::memset(bits, 0xFF, 4 * kHeight);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
  SelectObject(dc, initial);
  DeleteDC(dc);
  DeleteObject(dib);
}

TEST(DibSectionTest, GetObjectDescribesDibSectionsAndCompatibleBitmaps) {
  DibImage image = MakeHeader(24, false, 0);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&image), DIB_RGB_COLORS,
                                 &bits, nullptr, 0);
  BITMAP info;
  ASSERT_EQ(GetObjectA(dib, sizeof info, &info), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(info.bmType, 0);
  EXPECT_EQ(info.bmWidth, kWidth);
  EXPECT_EQ(info.bmHeight, kHeight);
  EXPECT_EQ(info.bmWidthBytes, 16);
  EXPECT_EQ(info.bmPlanes, 1);
  EXPECT_EQ(info.bmBitsPixel, 24);
  EXPECT_EQ(info.bmBits, bits);

  HBITMAP compatible = CreateCompatibleBitmap(ScreenDC(), 48, 128);
  ASSERT_EQ(GetObjectA(compatible, sizeof info, &info), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(info.bmWidth, 48);
  EXPECT_EQ(info.bmHeight, 128);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(info.bmWidthBytes, 48 * 4);
  EXPECT_EQ(info.bmBits, nullptr);
  EXPECT_EQ(GetObjectA(compatible, sizeof info - 1, &info), 0);
  EXPECT_EQ(GetObjectA(GetStockObject(WHITE_BRUSH), sizeof info, &info), 0);
  DeleteObject(dib);
  DeleteObject(compatible);
}

TEST(DibSectionTest, RefusesHeadersItCannotRepresent) {
  struct Case {
    const char* name;
    void (*spoil)(BITMAPINFOHEADER&);
  };
  const Case cases[] = {
      {"zero width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
      {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -5; }},
      {"zero height", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
      {"most negative height", [](BITMAPINFOHEADER& h) { h.biHeight = INT32_MIN; }},
      {"huge", [](BITMAPINFOHEADER& h) { h.biWidth = h.biHeight = 1 << 20; }},
      {"bit count 7", [](BITMAPINFOHEADER& h) { h.biBitCount = 7; }},
      {"RLE8", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
      {"bit fields", [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }},
      {"two planes", [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }},
      {"short header", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DibImage image = MakeHeader(8, false, 0);
    c.spoil(image.header);
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&image), DIB_RGB_COLORS,
                               &bits, nullptr, 0),
              nullptr);
    EXPECT_EQ(bits, nullptr);
  }
  DibImage image = MakeHeader(8, false, 0);
  EXPECT_EQ(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&image), 1 /*PAL*/, nullptr,
                             nullptr, 0),
            nullptr);
}

// A BMP file around the encoded pixels: file header, info header, colour table, pixels.
std::vector<std::uint8_t> MakeBmpFile(int bits, bool topDown) {
  const DibImage image = MakeHeader(bits, topDown, 0);
  const std::size_t colors = bits <= 8 ? (std::size_t{1} << bits) * sizeof(RGBQUAD) : 0;
  const std::vector<std::uint8_t> pixels = EncodePixels(bits, topDown);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = static_cast<DWORD>(14 + 40 + colors);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::vector<std::uint8_t> bytes(file.bfSize);
  std::memcpy(bytes.data(), &file, 14);
  std::memcpy(bytes.data() + 14, &image.header, 40);
  std::memcpy(bytes.data() + 54, image.colors, colors);
  std::memcpy(bytes.data() + file.bfOffBits, pixels.data(), pixels.size());
  return bytes;
}

std::vector<COLORREF> PixelsOf(HBITMAP bitmap, int width, int height) {
  MemoryCanvas copy(width, height, RGB(1, 1, 1));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ initial = SelectObject(dc, bitmap);
  BitBlt(copy.dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, initial);
  DeleteDC(dc);
  return copy.Pixels();
}

TEST(BmpFileTest, ReadsEveryDepthInBothRowOrders) {
  for (const DepthCase& c : kDepths) {
    SCOPED_TRACE(::testing::Message() << c.bits << " bits, top-down " << c.topDown);
    const std::vector<std::uint8_t> file = MakeBmpFile(c.bits, c.topDown);
    HBITMAP bitmap = CreateBitmapFromBmpFile(file.data(), file.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(PixelsMatch("bmp_depth", kWidth, kHeight, PixelsOf(bitmap, kWidth, kHeight),
                            [&](int x, int y) { return ExpectedColor(x, y, c.bits); }));
    DeleteObject(bitmap);
  }
}

// Overwrites one 32-bit field of the file (the info header starts at byte 14).
void Patch(std::vector<std::uint8_t>& file, std::size_t offset, std::uint32_t value) {
  std::memcpy(file.data() + offset, &value, sizeof value);
}

TEST(BmpFileTest, RefusesFilesWhoseSizesOrOffsetsDoNotFit) {
  struct Case {
    const char* name;
    void (*spoil)(std::vector<std::uint8_t>&);
  };
  const Case cases[] = {
      {"not BM", [](std::vector<std::uint8_t>& f) { f[0] = 'X'; }},
      {"shorter than the file header", [](std::vector<std::uint8_t>& f) { f.resize(10); }},
      {"shorter than the info header", [](std::vector<std::uint8_t>& f) { f.resize(40); }},
      {"colour table cut", [](std::vector<std::uint8_t>& f) { f.resize(54 + 255 * 4); }},
      {"pixels one byte short", [](std::vector<std::uint8_t>& f) { f.pop_back(); }},
      {"offset past the end", [](std::vector<std::uint8_t>& f) { Patch(f, 10, 0xF0000000u); }},
      {"zero width", [](std::vector<std::uint8_t>& f) { Patch(f, 18, 0); }},
      {"negative width",
       [](std::vector<std::uint8_t>& f) { Patch(f, 18, static_cast<std::uint32_t>(-3)); }},
      {"zero height", [](std::vector<std::uint8_t>& f) { Patch(f, 22, 0); }},
      {"oversized", [](std::vector<std::uint8_t>& f) { Patch(f, 22, 4000); }},
      {"huge", [](std::vector<std::uint8_t>& f) { Patch(f, 18, 0x7FFFFFFF); }},
      {"header size past the end", [](std::vector<std::uint8_t>& f) { Patch(f, 14, 0xFFFFFFF0u); }},
      {"compressed", [](std::vector<std::uint8_t>& f) { Patch(f, 30, BI_RLE8); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> file = MakeBmpFile(8, false);
    c.spoil(file);
    // An exact-size copy, so that any read past the end is caught by the sanitizers.
    auto exact = std::make_unique<std::uint8_t[]>(file.size());
    std::memcpy(exact.get(), file.data(), file.size());
    EXPECT_EQ(CreateBitmapFromBmpFile(exact.get(), file.size()), nullptr);
  }
  EXPECT_EQ(CreateBitmapFromBmpFile(nullptr, 0), nullptr);
}

}  // namespace
}  // namespace plk::gdi::testing
