// Resources embedded in the executable (on Windows they come from a .rc file). The
// build generates the table from res/ and links it into every program and test.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plk {

enum class ResourceType { Bitmap, Icon };

struct EmbeddedResource {
  ResourceType type;
  int id;
  const std::uint8_t* bytes;  // the whole file: a .bmp for both bitmaps and icons
  std::size_t size;
};

// Defined by the generated resource table; ends with an entry whose bytes are null.
extern const EmbeddedResource embeddedResources[];

}  // namespace plk
