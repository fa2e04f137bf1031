// The system's "BUTTON" class: push buttons, as the message box uses them.
#pragma once

#include <windows.h>

namespace plk::user32 {

// The real Win32 values of what a push button understands and answers.
constexpr DWORD kBsDefPushButton = 0x0001;
constexpr WORD kBnClicked = 0;
constexpr LRESULT kDlgcDefPushButton = 0x0010;
constexpr LRESULT kDlgcUndefPushButton = 0x0020;
constexpr LRESULT kDlgcButton = 0x2000;

// The class's procedure, registered from the table of built-in classes.
LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plk::user32
