// make_icons ICON.bmp OUTPUT_DIR SIZE...: the program's icon (a 24-bit BMP as make_skin
// writes it) as OUTPUT_DIR/SIZExSIZE.png for each SIZE, scaled as pixel art: every pixel
// takes the colour under its centre, so whole factors give crisp blocks.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "bmp_codec.h"
#include "png_file.h"

int main(int argc, char** argv) {
  using namespace plk::tools;
  if (argc < 4) {
    std::fprintf(stderr, "usage: make_icons ICON.bmp OUTPUT_DIR SIZE...\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const auto icon = DecodeBmp24(Bytes(std::istreambuf_iterator<char>(in), {}));
  if (!icon) {
    std::fprintf(stderr, "make_icons: %s is not a 24-bit BMP\n", argv[1]);
    return 1;
  }
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const std::string name = std::to_string(size) + "x" + std::to_string(size) + ".png";
    if (size <= 0 ||
        !WritePng(std::string(argv[2]) + "/" + name, ScaleNearest(*icon, size, size))) {
      return 1;
    }
  }
  return 0;
}
