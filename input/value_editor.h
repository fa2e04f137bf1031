// The in-place editor over a channel's bank MSB, bank LSB or program number, and the mouse
// choice of the current channel.
#pragma once

#include <windows.h>

#define EDIT_BOX_WIDTH 24
#define EDIT_BOX_HEIGHT 12
#define EDIT_MAX_CHARS 3
// The editor commits MIDI data values, which end at 127.
#define EDIT_MAX_VALUE 127

extern HWND valueEditor;
extern LONG editActive;   // nonzero while an edit is open
extern void* editTarget;  // the field being edited; null when closed
// 1, 2 or 4: an unsigned integer of that many bytes; above 4: a text buffer of that size.
extern DWORD editWidth;

void CreateValueEditor(HWND parent, HFONT font);
void DestroyValueEditor();
// Opens the editor with its top-left corner at document position (x, y) over `target`.
BOOL BeginEdit(LONG x, LONG y, void* target, DWORD width);
// Writes an open edit back and closes it: 1 if one was open, else 0.
BOOL CommitEdit();

LRESULT OnCommand(WPARAM wParam);
LRESULT OnLButtonDown(LPARAM lParam);
