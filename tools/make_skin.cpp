// make_skin OUTPUT_DIR: writes the built-in skin (skin.bmp) and the program icon (icon.bmp,
// icon.ico) into OUTPUT_DIR. The output depends on nothing but this code, so regenerating
// gives the committed files byte for byte.
// make_skin --shipped OUTPUT_DIR: writes the skins installed with the program.
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
  using namespace plk::tools;
  const bool shipped = argc == 3 && std::string(argv[1]) == "--shipped";
  if (argc != 2 && !shipped) {
    std::fprintf(stderr, "usage: make_skin [--shipped] OUTPUT_DIR\n");
    return 2;
  }
  const std::string dir = argv[argc - 1];
  if (shipped) {
    bool written = true;
    for (const ShippedSkin& skin : SHIPPED_SKINS) {
      written = WriteFile(dir + "/" + skin.file, EncodeBmp24(PaintSkin(skin.colours))) && written;
    }
    return written ? 0 : 1;
  }
  const Image icon = PaintIcon();
  const bool written = WriteFile(dir + "/skin.bmp", EncodeBmp24(PaintSkin())) &&
                       WriteFile(dir + "/icon.bmp", EncodeBmp24(icon)) &&
                       WriteFile(dir + "/icon.ico", EncodeIco32(icon));
  return written ? 0 : 1;
}
