// The X server's resources that say how large the desktop draws, read through Xlib.
#pragma once

#include <optional>
#include <string>

namespace plk::user32 {

// The value of the resource Xft.dpi on DISPLAY's server (set by the desktop or xrdb);
// none when the server cannot be reached or has no such resource.
std::optional<std::string> ReadXftDpi();

}  // namespace plk::user32
