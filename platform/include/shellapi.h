// The shell drag-and-drop subset that Plinkaro uses.
#pragma once

#include <windows.h>

PLK_DECLARE_HANDLE(HDROP);

void DragAcceptFiles(HWND window, BOOL accept);
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size);
void DragFinish(HDROP drop);
