// The vertical scroll bar, the wheel and the window height: the 768-pixel document of
// sixteen rows scrolls when the client area is lower than it.
#pragma once

#include <windows.h>

#define LINE_SCROLL 16
#define PAGE_SCROLL 48

extern LONG verticalScroll;  // document y at the top of the client area

LRESULT OnSize(LPARAM lParam);
LRESULT OnVScroll(WPARAM wParam);
LRESULT OnMouseWheel(WPARAM wParam);
void ScrollContentTo(int newPosition);
