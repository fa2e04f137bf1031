// Keyboard focus and activation of top-level windows.
#pragma once

#include <windows.h>

namespace plk::user32 {

// Before a window is hidden or destroyed: a focus inside it moves to its parent.
void ReleaseFocusFrom(HWND window);
// A top-level window became the active one: it takes the focus unless the focus is inside
// it already, as DefWindowProc's WM_ACTIVATE does for windows that are not dialogs. A
// window disabled under a modal box passes the activation on to the box.
void ActivateWindow(HWND topLevel);
// The host window lost the input focus.
void DeactivateWindow(HWND topLevel);

}  // namespace plk::user32
