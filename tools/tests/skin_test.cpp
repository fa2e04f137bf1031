// Checks the committed skin and icon files: the key shapes the row drawing relies on, their
// colours, and how a keyboard band looks when drawn from them.
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

// The skin is a 48 x 128 bottom-up 24-bit bitmap of 18486 bytes.
Image CommittedSkin() {
  const Bytes file = ReadResource("skin.bmp");
  EXPECT_EQ(file.size(), 54u + 48 * 3 * 128);
  const auto skin = DecodeBmp24(file);
  EXPECT_TRUE(skin && skin->width == SKIN_WIDTH && skin->height == SKIN_HEIGHT);
  return skin.value_or(Image(SKIN_WIDTH, SKIN_HEIGHT, WHITE));
}

TEST(BmpCodec, PadsOddWidthRowsAndReadsThemBack) {
  Image image(3, 2, WHITE);
  image.at(0, 0) = BLUE;
  const Bytes file = EncodeBmp24(image);
  EXPECT_EQ(file.size(), 54u + 2 * 12);
  EXPECT_EQ(DecodeBmp24(file)->pixels, image.pixels);
}

// Each mask is white exactly inside its shape, given as runs: rows [from, to] of the
// 32-pixel cell with x first..last; the image is white outside it and in its palette inside.
TEST(SkinFile, MasksAndImagesFollowEachShape) {
  const std::vector<std::tuple<int, int, int, int>> shapes[4] = {
      {{0, 18, 0, 11}, {19, 19, 0, 12}, {20, 30, 0, 15}, {31, 31, 1, 14}},
      {{0, 18, 4, 11}, {19, 19, 3, 12}, {20, 30, 0, 15}, {31, 31, 1, 14}},
      {{0, 18, 4, 15}, {19, 19, 3, 15}, {20, 30, 0, 15}, {31, 31, 1, 14}},
      {{0, 17, 4, 11}, {18, 18, 5, 10}},
  };
  const std::set<std::tuple<int, int, int>> palettes[2] = {
      {{255, 255, 255}, {0, 0, 0}, {192, 192, 192}, {128, 128, 128}, {64, 64, 64}},
      {{255, 255, 255}, {0, 0, 0}, {192, 192, 255}, {224, 224, 255}, {128, 128, 255}, {0, 0, 255}}};
  const Image skin = CommittedSkin();
  for (int y = 0; y < SKIN_HEIGHT; ++y) {
    for (int x = 0; x < 16; ++x) {
      bool inside = false;
      for (const auto& [from, to, first, last] : shapes[y / 32]) {
        inside |= y % 32 >= from && y % 32 <= to && x >= first && x <= last;
      }
      ASSERT_EQ(skin.at(32 + x, y), inside ? WHITE : BLACK) << "mask at " << x << "," << y;
      for (int pressed : {0, 1}) {
        const Rgb p = skin.at(16 * pressed + x, y);
        EXPECT_TRUE(inside ? palettes[pressed].contains({p.r, p.g, p.b}) : p == WHITE)
            << "image " << pressed << " at " << x << "," << y;
      }
    }
  }
}

// At base key 60 white keys are separated by one black line every 16 pixels; black keys
// are dark down to their tips at row 18, and below them the band's background shows.
TEST(DrawnBand, WhiteKeysAreSeparatedByOneLineAndBlackKeysSitInTheNotches) {
  BandPicture picture;
  picture.background = GRAY;
  for (int key : {60, 64, 67}) picture.pressed[key] = true;  // pressed keys keep their borders
  const Image band = DrawKeyboardBand(CommittedSkin(), picture);
  for (int x = 1; x < band.width - 1; ++x) EXPECT_EQ(band.at(x, 25) == BLACK, x % 16 == 0) << x;
  for (int key : {49, 51, 54, 56, 58, 61, 63, 66, 68, 70}) {
    const int x = KeyX(key, picture.baseKey);
    for (int y = 0; y <= 18; ++y) EXPECT_EQ(band.at(x + 8, y), BLACK) << "key " << key;
    EXPECT_EQ(band.at(x + 8, 19), GRAY) << "key " << key;
    EXPECT_EQ(band.at(x + 4, 18), GRAY) << "corner of key " << key;
  }
}

TEST(IconFiles, IcoHoldsTheSamePictureAsTheBitmap) {
  const Bytes ico = ReadResource("icon.ico");
  const auto bitmap = DecodeBmp24(ReadResource("icon.bmp"));
  const auto entry = DecodeIco32(ico);
  ASSERT_TRUE(bitmap && entry);
  EXPECT_EQ(bitmap->width * bitmap->height, 32 * 32);
  EXPECT_EQ(entry->pixels, bitmap->pixels);
  EXPECT_EQ(ico.size(), 22u + 40 + 32 * 32 * 4 + 32 * 4);  // header, colour rows, AND mask
}

}  // namespace
}  // namespace plk::tools
