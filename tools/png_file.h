// PNG files through libpng, for the icons a desktop shows.
#pragma once

#include <string>

#include "image.h"

namespace plk::tools {

// An 8-bit RGB PNG; false (with libpng's reason on stderr) when it cannot be written.
bool WritePng(const std::string& path, const Image& image);

}  // namespace plk::tools
