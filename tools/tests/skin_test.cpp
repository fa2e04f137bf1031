// Checks the committed skin and icon files: their headers, the key shapes the row drawing
// relies on, and how a whole keyboard band looks when drawn from them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>

#include "bmp_codec.h"
#include "keyboard_band.h"
#include "skin_art.h"

namespace plk::tools {
namespace {

Bytes ReadResource(const std::string& name) {
  std::ifstream in(std::string(PLINKARO_RES_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t Field(const Bytes& file, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | file.at(at + i);
  return value;
}

Image CommittedSkin() {
  const auto skin = DecodeBmp24(ReadResource("skin.bmp"));
  EXPECT_TRUE(skin.has_value());
  return skin.value_or(Image(SKIN_WIDTH, SKIN_HEIGHT, WHITE));
}

TEST(SkinFile, HeadersDescribeA48By128BottomUp24BitBitmap) {
  const Bytes file = ReadResource("skin.bmp");
  ASSERT_EQ(file.size(), 54u + 36u * 4 * 128);  // 48 pixels of 3 bytes: 36 words per row
  const std::tuple<std::size_t, int, std::uint32_t> fields[] = {
      {0, 2, 0x4D42}, {2, 4, 18486}, {10, 4, 54}, {14, 4, 40}, {18, 4, 48},
      {22, 4, 128},   {26, 2, 1},    {28, 2, 24}, {30, 4, 0},  {34, 4, 18432},
      {38, 4, 2835},  {42, 4, 2835}, {46, 4, 0},  {50, 4, 0},
  };
  for (const auto& [at, size, expected] : fields) {
    EXPECT_EQ(Field(file, at, size), expected) << "header byte " << at;
  }
}

TEST(BmpCodec, PadsOddWidthRowsAndReadsThemBack) {
  Image image(3, 2, WHITE);
  image.at(0, 0) = BLUE;
  image.at(2, 1) = LAVENDER;
  const Bytes file = EncodeBmp24(image);
  EXPECT_EQ(file.size(), 54u + 2 * 12);
  EXPECT_EQ(file[54 + 12], 0xFF);  // the top row is stored last: blue's B byte
  const auto back = DecodeBmp24(file);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->pixels, image.pixels);
}

// Inside spans per skin row, as rows [from, to] of the 32-pixel cell with x first..last.
struct MaskRun {
  int fromRow, toRow, first, last;
};

TEST(SkinFile, MasksAreWhiteExactlyInsideEachShape) {
  const std::vector<MaskRun> shapes[4] = {
      {{0, 18, 0, 11}, {19, 19, 0, 12}, {20, 30, 0, 15}, {31, 31, 1, 14}},
      {{0, 18, 4, 11}, {19, 19, 3, 12}, {20, 30, 0, 15}, {31, 31, 1, 14}},
      {{0, 18, 4, 15}, {19, 19, 3, 15}, {20, 30, 0, 15}, {31, 31, 1, 14}},
      {{0, 17, 4, 11}, {18, 18, 5, 10}},
  };
  const Image skin = CommittedSkin();
  for (int shape = 0; shape < 4; ++shape) {
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 16; ++x) {
        bool inside = false;
        for (const MaskRun& r : shapes[shape]) {
          inside |= y >= r.fromRow && y <= r.toRow && x >= r.first && x <= r.last;
        }
        EXPECT_EQ(skin.at(32 + x, 32 * shape + y), inside ? WHITE : BLACK)
            << "shape " << shape << " x " << x << " y " << y;
      }
    }
  }
}

TEST(SkinFile, ImagesUseTheirPaletteInsideAndStayWhiteOutside) {
  const std::set<std::tuple<int, int, int>> released = {
      {255, 255, 255}, {0, 0, 0}, {192, 192, 192}, {128, 128, 128}, {64, 64, 64}};
  const std::set<std::tuple<int, int, int>> pressed = {
      {255, 255, 255}, {0, 0, 0}, {192, 192, 255}, {224, 224, 255}, {128, 128, 255}, {0, 0, 255}};
  const Image skin = CommittedSkin();
  for (int y = 0; y < SKIN_HEIGHT; ++y) {
    for (int x = 0; x < 32; ++x) {
      const Rgb p = skin.at(x, y);
      if (skin.at(32 + x % 16, y) == BLACK) {
        EXPECT_EQ(p, WHITE) << "outside the mask at " << x << "," << y;
      } else {
        EXPECT_TRUE((x < 16 ? released : pressed).contains({p.r, p.g, p.b})) << x << "," << y;
      }
    }
  }
}

bool IsBlack(const Rgb& p) { return p == BLACK; }

// White key borders of the 480-pixel band at base key 60: every 16 pixels from x 0.
TEST(DrawnBand, WhiteKeysAreSeparatedByOneBlackLine) {
  const Image skin = CommittedSkin();
  for (const Rgb background : {WHITE, GRAY}) {
    BandPicture picture;
    picture.background = background;
    for (int key = 60; key < 72; ++key) picture.pressed[key] = key % 2 == 0;
    const Image band = DrawKeyboardBand(skin, picture);
    for (int y = 20; y <= 29; ++y) {
      for (int x = 1; x < band.width - 1; ++x) {
        EXPECT_EQ(IsBlack(band.at(x, y)), x % 16 == 0) << "x " << x << " y " << y;
      }
    }
  }
}

TEST(DrawnBand, BlackKeysSitInTheNotchesOverAnyBackground) {
  const Image skin = CommittedSkin();
  BandPicture picture;
  picture.background = GRAY;
  const Image band = DrawKeyboardBand(skin, picture);
  for (int key = 48; key < 84; ++key) {
    const int x = KeyX(key, picture.baseKey);
    if (!std::set{1, 3, 6, 8, 10}.contains(key % 12)) continue;
    // The body's middle column is dark from the top to its tip; below the tip the gap to
    // the white keys shows the row's own background.
    for (int y = 0; y <= 18; ++y) EXPECT_EQ(band.at(x + 8, y), BLACK) << "key " << key;
    EXPECT_EQ(band.at(x + 8, 19), GRAY) << "key " << key;
    EXPECT_EQ(band.at(x + 4, 18), GRAY) << "corner of key " << key;
  }
}

TEST(IconFiles, IcoHoldsTheSamePictureAsTheBitmap) {
  const Bytes ico = ReadResource("icon.ico");
  const auto bitmap = DecodeBmp24(ReadResource("icon.bmp"));
  const auto entry = DecodeIco32(ico);
  ASSERT_TRUE(bitmap.has_value());
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(bitmap->width, 32);
  EXPECT_EQ(bitmap->height, 32);
  EXPECT_EQ(entry->pixels, bitmap->pixels);
  // Directory: one 32 x 32 entry of 32 bpp; its data is header, colour rows and AND mask.
  EXPECT_EQ(Field(ico, 6, 1), 32u);
  EXPECT_EQ(Field(ico, 12, 2), 32u);
  EXPECT_EQ(Field(ico, 14, 4), 40u + 32 * 32 * 4 + 32 * 4);
  EXPECT_EQ(ico.size(), 22u + Field(ico, 14, 4));
}

}  // namespace
}  // namespace plk::tools
