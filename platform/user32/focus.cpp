// Implements: GetFocus/SetFocus with WM_KILLFOCUS then WM_SETFOCUS, focus moving to the
// parent when the focused window is hidden or destroyed, activation giving the focus to
// the top-level window unless the focus is inside it already (or to the enabled window it
// owns while it is disabled), and IsDialogMessageA: for any message to the dialog or one of
// its descendants, Enter and Escape key-downs become WM_COMMAND IDOK/IDCANCEL
// (notification 0) sent to the dialog unless the control asks for all keys
// (WM_GETDLGCODE); other messages are translated and dispatched; messages for other
// windows are left alone.
// Does not implement: Tab/arrow navigation between controls, default push buttons
// (DM_GETDEFID), mnemonics, per-thread focus across several GUI threads.
#include "user32/focus.h"

#include "user32/window.h"
#include "user32/window_enable.h"

namespace plk::user32 {
namespace {

thread_local HWND focusWindow = nullptr;

}  // namespace

void ReleaseFocusFrom(HWND window) {
  if (!focusWindow || !IsDescendant(focusWindow, window)) return;
  Window* target = FindWindowObject(window);
  HWND parent = target ? target->parent : nullptr;
  Window* parentWindow = FindWindowObject(parent);
  SetFocus(parentWindow && !parentWindow->destroying ? parent : nullptr);
}

void ActivateWindow(HWND topLevel) {
  if (!AcceptsInput(topLevel)) {
    if (HWND popup = EnabledOwnedWindow(topLevel)) ActivateWindow(popup);
    return;
  }
  if (!GetFocus() || !IsDescendant(GetFocus(), topLevel)) SetFocus(topLevel);
}

void DeactivateWindow(HWND topLevel) {
  if (focusWindow && IsDescendant(focusWindow, topLevel)) SetFocus(nullptr);
}

}  // namespace plk::user32

using namespace plk::user32;

HWND GetFocus(void) { return IsWindow(focusWindow) ? focusWindow : nullptr; }

HWND SetFocus(HWND window) {
  if (window && !IsWindow(window)) return nullptr;
  const HWND previous = GetFocus();
  if (previous == window) return previous;
  focusWindow = window;
  if (previous) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  // The WM_KILLFOCUS handler may have moved the focus on; then it has been announced.
  if (window && focusWindow == window) {
    SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  }
  return previous;
}

BOOL IsDialogMessageA(HWND dialog, LPMSG message) {
  if (!message || !IsWindow(dialog) || !IsDescendant(message->hwnd, dialog)) return FALSE;
  if (message->message == WM_KEYDOWN &&
      (message->wParam == VK_RETURN || message->wParam == VK_ESCAPE)) {
    const LRESULT code = SendMessageA(message->hwnd, WM_GETDLGCODE, message->wParam,
                                      reinterpret_cast<LPARAM>(message));
    if (!(code & DLGC_WANTALLKEYS)) {
      const int id = message->wParam == VK_RETURN ? IDOK : IDCANCEL;
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
      return TRUE;
    }
  }
  TranslateMessage(message);
  DispatchMessageA(message);
  return TRUE;
}
