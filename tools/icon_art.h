// The program icon: three white keys and the two black keys between them, the middle white
// key lit as when it is played, painted with the same rules as the skin.
#pragma once

#include "image.h"

namespace plk::tools {

inline constexpr int ICON_SIZE = 32;

Image PaintIcon();

}  // namespace plk::tools
