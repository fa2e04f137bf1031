// What the message functions do for the rest of user32: calling a window procedure and
// showing the windows that changed.
#pragma once

#include <windows.h>

namespace plk::user32 {

// Runs a window procedure with tracing; 0 when the window is gone.
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Shows every top-level window whose pixels changed (after each dispatch, before sleeping).
void PresentChangedWindows();

}  // namespace plk::user32
