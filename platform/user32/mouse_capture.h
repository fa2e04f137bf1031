// The mouse capture that user32's own controls take while a button is held.
#pragma once

#include <windows.h>

namespace plk::user32 {

// The window that receives every mouse button message until released (null: none).
void SetMouseCapture(HWND window);
HWND MouseCapture();

}  // namespace plk::user32
