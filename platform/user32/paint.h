// Update regions and the WM_PAINT they produce.
#pragma once

#include <windows.h>

#include "user32/region.h"

namespace plk::user32 {

struct Window;

// Adds `region` (client coordinates) to the window's update region, and to the children
// it covers unless the window clips its children (WS_CLIPCHILDREN), as RedrawWindow does.
// Windows that are not shown collect nothing.
void InvalidateWindowRegion(Window& window, Region region, bool erase);
// Adds to this window's update region only; every addition goes through here, so that
// the window's thread looks for WM_PAINT again.
void AddUpdateRegion(Window& window, const Region& region);
// WM_PAINT for the first shown window of this thread, in creation order (a parent before
// its children), whose update region is not empty.
bool TakePaintMessage(MSG& out, HWND filter, UINT filterMin, UINT filterMax);

}  // namespace plk::user32
