// bmp_seeds DIR: writes the seed corpus of the BMP loader's fuzz target: a small picture
// at every depth the loader reads, stored bottom-up and top-down, with and without the
// image size field, and with a short colour table.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "bmp_codec.h"

namespace {

using plk::tools::Bytes;

Bytes Stripes(int bits, bool topDown, std::uint32_t colors) {
  const int width = 7, height = 5;
  std::vector<std::uint32_t> palette;
  for (std::uint32_t i = 0; i < colors; ++i) palette.push_back(i * 0x010203u);
  Bytes pixels(plk::tools::BmpRowBytes(width, bits) * height);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 37);
  return plk::tools::EncodeBmp(width, topDown ? -height : height, bits, palette, pixels);
}

bool Write(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
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
      Bytes file = Stripes(bits, topDown, bits <= 8 ? 1u << bits : 0);
      written = Write(name + "-sized.bmp", file) && written;
      std::fill(file.begin() + 34, file.begin() + 38, 0);  // the image size field
      written = Write(name + ".bmp", file) && written;
    }
  }
  written = Write(dir + "/seed-8-three-colours.bmp", Stripes(8, false, 3)) && written;
  return written ? 0 : 1;
}
