// skin_preview SKIN.bmp OUT.ppm: draws two channel rows from a skin the way the program
// does (a white row with every key released, a gray current row with a few keys held) and
// writes them as a binary PPM, to look at a skin before shipping it.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "bmp_codec.h"
#include "keyboard_band.h"

namespace {

using namespace plk::tools;

constexpr int ROW_HEIGHT = 48;
constexpr int HEADER_HEIGHT = 16;

Image TwoRows(const Image& skin) {
  BandPicture idle;
  BandPicture current;
  current.background = GRAY;
  for (int key : {48, 49, 52, 55, 60, 61, 62, 64, 67, 70, 71, 72, 90, 96})
    current.pressed[key] = true;
  Image rows(idle.width, 2 * ROW_HEIGHT, WHITE);
  Image header(idle.width, HEADER_HEIGHT, GRAY);
  Paste(rows, DrawKeyboardBand(skin, idle), 0, HEADER_HEIGHT);
  Paste(rows, header, 0, ROW_HEIGHT);
  Paste(rows, DrawKeyboardBand(skin, current), 0, ROW_HEIGHT + HEADER_HEIGHT);
  return rows;
}

bool WritePpm(const char* path, const Image& image) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
  for (const Rgb& p : image.pixels) out << p.r << p.g << p.b;
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: skin_preview SKIN.bmp OUT.ppm\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const Bytes file{std::istreambuf_iterator<char>(in), {}};
  const auto skin = DecodeBmp24(file);
  if (!skin) {
    std::fprintf(stderr, "skin_preview: %s is not a 24-bpp skin\n", argv[1]);
    return 1;
  }
  return WritePpm(argv[2], TwoRows(*skin)) ? 0 : 1;
}
