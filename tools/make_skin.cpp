// make_skin OUTPUT_DIR: writes the built-in skin (skin.bmp) and the program icon (icon.bmp,
// icon.ico) into OUTPUT_DIR. The output depends on nothing but this code, so regenerating
// gives the committed files byte for byte.
#include <cstdio>
#include <fstream>
#include <string>

#include "bmp_codec.h"
#include "icon_art.h"
#include "skin_art.h"

namespace {

bool WriteFile(const std::string& path, const plk::tools::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "make_skin: cannot write %s\n", path.c_str());
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_skin OUTPUT_DIR\n");
    return 2;
  }
  using namespace plk::tools;
  const std::string dir = argv[1];
  const Image icon = PaintIcon();
  const bool written = WriteFile(dir + "/skin.bmp", EncodeBmp24(PaintSkin())) &&
                       WriteFile(dir + "/icon.bmp", EncodeBmp24(icon)) &&
                       WriteFile(dir + "/icon.ico", EncodeIco32(icon));
  return written ? 0 : 1;
}
