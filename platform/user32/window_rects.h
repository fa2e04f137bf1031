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
// The deepest shown descendant under a point in `window`'s client coordinates (the
// window itself when no child is there); the point comes back in its client coordinates.
HWND ChildWindowAt(HWND window, POINT& point);

}  // namespace plk::user32
