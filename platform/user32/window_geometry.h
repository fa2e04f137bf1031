// Where a window's client area lies: inside its outer rectangle (after the frame and
// the scroll bar), on the screen, and in the pixels of its top-level window.
#pragma once

#include <windows.h>

namespace plk::user32 {

struct Window;

struct Frame {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The caption and border that the host's window manager draws in place of Windows'.
Frame BorderFrame(DWORD style, bool child);
// Client rectangle relative to the window's outer top-left corner.
RECT ClientAreaInWindow(const Window& window);
SIZE ClientSize(const Window& window);
RECT ClientRect(const Window& window);  // (0, 0, width, height)
POINT ClientOriginOnScreen(const Window& window);
// Position in the top-level window's pixels, and the visible part of the client area
// there (clipped by every ancestor's client area).
POINT ClientOriginOnSurface(const Window& window);
RECT ClientClipOnSurface(const Window& window);
// The size of a top-level window's pixels: client area plus scroll bar.
SIZE PixelSize(const Window& window);

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

// Applies a new outer rectangle and style and does what follows from them: pixels
// resized, exposed parts invalidated, scroll bar redrawn, DCs retargeted, WM_SIZE sent.
void ApplyGeometry(HWND handle, const RECT& rect, DWORD style, unsigned changes);

}  // namespace plk::user32
