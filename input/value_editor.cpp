#include "input/value_editor.h"

HWND valueEditor = nullptr;

// Placeholders until the value editor lands (the issue "In-place value editor, mouse
// channel choice, skin files and F6"): no edit control is created yet, and Q, W and E,
// which are bound to BeginEdit, do nothing.
void CreateValueEditor(HWND, HFONT) {}
void DestroyValueEditor() {}
void BeginEdit(int, int, BYTE*, int) {}
