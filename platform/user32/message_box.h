// MessageBoxA's parts: the modal box itself and the hook through which tests take boxes
// over (testing/message_boxes.cpp).
#pragma once

#include <windows.h>

namespace plk::user32 {

// Shows the box owned by `owner`'s top-level window and runs its modal loop until it is
// answered (IDOK), or WM_QUIT arrives (0; WM_QUIT is posted again). -1 when no box could
// be made.
int RunModalMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// When set, MessageBoxA hands every box to `handler` and returns its answer.
using MessageBoxHandler = int (*)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace plk::user32
