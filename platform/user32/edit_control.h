// The system's "EDIT" window class.
#pragma once

#include <windows.h>

namespace plk::user32 {

// The class's procedure, registered from the table of built-in classes.
LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plk::user32
