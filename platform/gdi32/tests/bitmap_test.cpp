// Bitmaps in every depth, from BMP files and as DIB sections; GetObjectA.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "bmp_codec.h"
#include "gdi32/tests/gdi_test_support.h"

namespace plk::gdi::testing {
namespace {

using tools::Rgb;

// A 5x3 picture (odd, so every depth pads its rows) in colours that the format can store.
struct TestPicture {
  TestPicture(int bits, bool topDown) : format{bits, topDown, {}}, image(5, 3, {}) {
    for (int i = 0; bits <= 8 && i < (bits == 1 ? 2 : 16); ++i) {
      format.palette.push_back({std::uint8_t(10 * i + 5), std::uint8_t(255 - 9 * i), 0});
    }
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) {  // rows that differ from each other, also at 1 bit
        const Rgb direct = {std::uint8_t(40 * x), std::uint8_t(70 * y), std::uint8_t(200 - x)};
        const std::size_t index = x + y * (y + 1) / 2;
        image.at(x, y) = bits <= 8 ? format.palette[index % format.palette.size()] : direct;
      }
    }
  }
  ::testing::AssertionResult ShownBy(HBITMAP bitmap) const {
    MemoryCanvas copy(5, 3, RGB(1, 1, 1));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    BitBlt(copy.dc(), 0, 0, 5, 3, dc, 0, 0, SRCCOPY);
    DeleteDC(dc);
    return PixelsMatch(5, copy.Pixels(), [&](int x, int y) {
      const Rgb& c = image.at(x, y);
      return RGB(c.r, c.g, c.b);
    });
  }
  tools::Bytes File() const { return tools::EncodeBmp(image, format); }

  tools::BmpFormat format;
  tools::Image image;
};

// A file's info header and colour table, copied out to aligned memory.
struct DibInfo {
  explicit DibInfo(const tools::Bytes& file) {
    std::memcpy(&header, file.data() + 14,
                std::min(file.size() - 14, sizeof header + sizeof colors));
  }
  BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(&header); }
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

TEST(BitmapTest, EveryDepthInBothRowOrdersReadsFromAFileAndThroughTheDibBits) {
  for (int bits : {1, 4, 8, 24, 32}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, top-down " << topDown);
      const TestPicture picture(bits, topDown);
      const tools::Bytes file = picture.File();
      HBITMAP loaded = CreateBitmapFromBmpFile(file.data(), file.size());
      EXPECT_TRUE(picture.ShownBy(loaded));
      EXPECT_TRUE(DeleteObject(loaded));
      // A DIB section's memory holds the pixels as the file stores them.
      void* memory = nullptr;
      HBITMAP dib = CreateDIBSection(nullptr, DibInfo(file).get(), DIB_RGB_COLORS, &memory, 0, 0);
      ASSERT_NE(memory, nullptr);
      const std::size_t offset = 54 + 4 * picture.format.palette.size();
      std::memcpy(memory, file.data() + offset, file.size() - offset);
      EXPECT_TRUE(picture.ShownBy(dib));
      EXPECT_TRUE(DeleteObject(dib));
    }
  }
}

TEST(BitmapTest, IndicesPastAShortColourTableReadAsBlack) {
  TestPicture picture(4, false);
  tools::Bytes file = picture.File();
  file[46] = 3;  // colours used: only the first three entries of the table count
  HBITMAP loaded = CreateBitmapFromBmpFile(file.data(), file.size());
  const auto& palette = picture.format.palette;
  for (Rgb& c : picture.image.pixels) {
    if (std::find(palette.begin(), palette.end(), c) - palette.begin() >= 3) c = {0, 0, 0};
  }
  EXPECT_TRUE(picture.ShownBy(loaded));
  DeleteObject(loaded);
}

TEST(BitmapTest, GetObjectDescribesDibSectionsAndCompatibleBitmaps) {
  void* bits = nullptr;
  DibInfo info(TestPicture(24, false).File());
  HBITMAP dib = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  HBITMAP compatible = CreateCompatibleBitmap(ScreenDC(), 48, 128);
  const std::pair<HBITMAP, BITMAP> cases[] = {{dib, {0, 5, 3, 16, 1, 24, bits}},
                                              {compatible, {0, 48, 128, 48 * 4, 1, 32, nullptr}}};
  const auto fields = [](const BITMAP& b) {
    return std::tuple(b.bmType, b.bmWidth, b.bmHeight, b.bmWidthBytes, b.bmPlanes, b.bmBitsPixel,
                      b.bmBits);
  };
  for (const auto& [bitmap, expected] : cases) {
    BITMAP got;
    ASSERT_EQ(GetObjectA(bitmap, sizeof got, &got), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(fields(got), fields(expected));
    EXPECT_TRUE(DeleteObject(bitmap));
  }
  // A header it cannot represent gives no section and no bits.
  info.header.biBitCount = 7;
  EXPECT_EQ(CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
}

}  // namespace
}  // namespace plk::gdi::testing
