// Skins as the screen's own kind of bitmap, whatever form they were loaded in.
#pragma once

#include <windows.h>

// A bitmap compatible with `referenceDC` holding the pixels of `source`; null on failure.
HBITMAP MakeCompatibleCopy(HDC referenceDC, HBITMAP source);
// Converts a freshly loaded bitmap into a screen-compatible copy and deletes the original.
HBITMAP ConvertLoadedSkin(HBITMAP first);
