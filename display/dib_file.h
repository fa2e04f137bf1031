// Reading a BMP file into a DIB section.
#pragma once

#include <windows.h>

// Skins are a few kilobytes; a larger picture than this is refused rather than allocated.
#define MAX_DIB_PIXEL_BYTES (64L * 1024 * 1024)

// A new DIB section with the file's pixels, or null when the file cannot be read or is
// not a BMP that this loader handles.
HBITMAP LoadDibFile(LPCSTR path);
