// Whether input may reach a window: its own and its ancestors' WS_DISABLED, and the
// modal box that takes the activation for a disabled owner.
#pragma once

#include <windows.h>

namespace plk::user32 {

// Neither the window nor an ancestor is disabled (WS_DISABLED): input may reach it.
bool AcceptsInput(HWND window);
// A shown window owned by `owner` that takes input (a modal box over it), or null.
HWND EnabledOwnedWindow(HWND owner);

}  // namespace plk::user32
