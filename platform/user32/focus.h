// Keyboard focus and activation of top-level windows.
#pragma once

#include <windows.h>

namespace plk::user32 {

// Before a window is hidden or destroyed: a focus inside it moves to its parent.
void ReleaseFocusFrom(HWND window);
// A top-level window became the active one: it takes the focus, as DefWindowProc's
// WM_ACTIVATE does for windows that are not dialogs.
void ActivateWindow(HWND topLevel);
// The host window lost the input focus.
void DeactivateWindow(HWND topLevel);

}  // namespace plk::user32
