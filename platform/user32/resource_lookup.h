// The program's embedded resources as user32 hands them out (icons, bitmaps).
#pragma once

#include <windows.h>

#include "resources.h"

namespace plk::user32 {

const EmbeddedResource* FindEmbeddedResource(ResourceType type, int id);
// The icon resource behind an HICON from LoadIconA; null for system icons.
const EmbeddedResource* IconResource(HICON icon);

}  // namespace plk::user32
