// The non-client area user32 draws itself: the vertical scroll bar at the right of a
// top-level window's client area, and the mouse on it.
#pragma once

#include <windows.h>

namespace plk::user32 {

struct Window;

// The real Win32 values of the non-client mouse messages the queue posts for the bar.
constexpr UINT kWmNcMouseMove = 0x00A0;
constexpr UINT kWmNcLButtonDown = 0x00A1;
constexpr UINT kWmNcLButtonUp = 0x00A2;
constexpr WPARAM kHtVScroll = 7;

void DrawNonClient(Window& window);
// DefWindowProcA's handling of the non-client mouse messages: line and page requests,
// thumb tracking (SB_THUMBTRACK while dragging, SB_THUMBPOSITION on release) and
// SB_ENDSCROLL when the button is released, all sent as WM_VSCROLL.
LRESULT HandleNonClientMouse(HWND window, UINT message, WPARAM hitTest, LPARAM screenPoint);

}  // namespace plk::user32
