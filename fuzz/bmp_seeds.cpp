// bmp_seeds DIR: writes the seed corpus of the BMP loader's fuzz target: a small picture
// at every depth the loader reads, stored bottom-up and top-down, with and without the
// image size field, and with a short colour table.
#include <cstdio>
#include <string>

#include "bmp_builder.h"

namespace {

bmp::Picture Stripes(int bitCount, bool topDown) {
  bmp::Picture picture{7, topDown ? -5 : 5, bitCount, {}, nullptr};
  if (bitCount <= 8) {
    for (std::uint32_t i = 0; i < (1u << bitCount); ++i) picture.palette.push_back(i * 0x010203u);
  }
  const std::uint32_t mask = bitCount <= 8 ? (1u << bitCount) - 1 : 0xFFFFFF;
  picture.pixel = [mask](int x, int y) {
    return static_cast<std::uint32_t>(x * 37 + y * 101) & mask;
  };
  return picture;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bmp_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  bool written = true;
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    for (bool topDown : {false, true}) {
      const std::string name =
          dir + "/seed-" + std::to_string(bits) + (topDown ? "-top" : "-bottom");
      bmp::Bytes file = bmp::Encode(Stripes(bits, topDown));
      written = bmp::WriteFile(name + ".bmp", file) && written;
      bmp::SetField32(file, bmp::AT_IMAGE_SIZE,
                      static_cast<std::uint32_t>(bmp::RowBytes(7, bits) * 5));
      written = bmp::WriteFile(name + "-sized.bmp", file) && written;
    }
  }
  bmp::Picture few = Stripes(8, false);
  few.palette.resize(3);
  few.pixel = [](int x, int) { return static_cast<std::uint32_t>(x % 3); };
  written = bmp::WriteFile(dir + "/seed-8-three-colours.bmp", bmp::Encode(few)) && written;
  return written ? 0 : 1;
}
