// The in-place editor over a channel's bank MSB, bank LSB or program number.
#pragma once

#include <windows.h>

extern HWND valueEditor;

void CreateValueEditor(HWND parent, HFONT font);
void DestroyValueEditor();
// Opens the editor at document position (x, y) over one byte of a channel record.
void BeginEdit(int x, int y, BYTE* field, int width);
