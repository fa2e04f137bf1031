// What a dialog of the desktop (an XDG portal's) needs of the window it is opened for.
#pragma once

#include <windows.h>

#include <string>

namespace plk::user32 {

// The top-level window that holds `window`; null for none.
HWND TopLevelWindowOf(HWND window);
// How the desktop names the host window of `window`'s top-level window ("x11:1c00007");
// empty when it has none or the host cannot say.
std::string DesktopNameOf(HWND window);

}  // namespace plk::user32
