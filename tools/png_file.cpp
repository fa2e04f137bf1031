#include "png_file.h"

#include <png.h>

#include <cstdio>

namespace plk::tools {

bool WritePng(const std::string& path, const Image& image) {
  static_assert(sizeof(Rgb) == 3, "Rgb pixels are packed as libpng's RGB format");
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr)) return true;
  std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), png.message);
  png_image_free(&png);
  return false;
}

}  // namespace plk::tools
