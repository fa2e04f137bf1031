// The shell subset that Plinkaro uses: dropped files and opening a file or folder.
#pragma once

#include <windows.h>

PLK_DECLARE_HANDLE(HDROP);

void DragAcceptFiles(HWND window, BOOL accept);
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size);
void DragFinish(HDROP drop);

#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT showCommand);
