// Window DCs: which gdi32 DC a window draws with, and where in the pixels it lands.
#pragma once

#include <windows.h>

#include "gdi32/window_surface.h"
#include "user32/region.h"

namespace plk::user32 {

struct Window;

// The gdi32 target for drawing in a window's client area, clipped to `clip` (client
// coordinates) when given; nothing is drawable while the window is not shown.
plk::gdi::WindowTarget TargetFor(Window& window, const Region* clip);

// The class DC (CS_CLASSDC), the window's own DC (CS_OWNDC) or a fresh common DC,
// retargeted at the window.
HDC AcquireWindowDC(HWND window, const Region* clip);
int ReleaseWindowDC(HWND window, HDC dc);
// The pixels of the window's top-level window moved or were reallocated.
void RetargetWindowDCs(HWND window);
void ForgetWindowDCs(HWND window);

// Fills `rect` of any DC with one colour (for the controls that user32 draws itself).
void FillSolid(HDC dc, const RECT& rect, COLORREF color);

}  // namespace plk::user32
