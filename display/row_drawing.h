// Drawing of the channel rows. Each operation takes a device context of the main window,
// or null to get one itself.
#pragma once

#include <windows.h>

void DrawRowHeader(HDC dc, int row);
void DrawKey(HDC dc, int row, int key);
void DrawKeyboardStrip(HDC dc, int row);
void DrawRow(HDC dc, int row);
