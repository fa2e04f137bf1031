// Where windows are and whether they show: changes of position, size and show state, and
// the messages that follow from them.
#pragma once

#include <windows.h>

namespace plk::user32 {

enum GeometryChange : unsigned {
  kMoveHost = 1,    // the change comes from the program: move the host window too
  kRepaint = 2,     // invalidate what the move exposed
  kAlwaysSize = 4,  // send WM_SIZE even if the client size did not change
};

// WM_SIZE as things stand: SIZE_MINIMIZED with 0 x 0 while minimised, else SIZE_RESTORED
// with the client size.
void SendSizeMessage(HWND handle);
// The window was minimised or restored (by ShowWindow or on the host): WM_SIZE says so.
void SetMinimized(HWND handle, bool minimized);
// WM_SIZE, then WM_MOVE with the client area's origin: a child at its creation, an
// overlapped window at its first showing.
void SendSizeAndMove(HWND handle);

// Applies a new outer rectangle and style and does what follows from them: pixels
// resized, exposed parts invalidated, scroll bar redrawn, DCs retargeted, WM_SIZE sent.
void ApplyGeometry(HWND handle, const RECT& rect, DWORD style, unsigned changes);

}  // namespace plk::user32
