// Implements: GetDlgItem (direct children by control id), GetDlgCtrlID, and the text and
// number helpers SetDlgItemTextA, GetDlgItemTextA, SetDlgItemInt, GetDlgItemInt (leading
// blanks skipped, digits up to the first other character, FALSE through `translated` for
// no digits or a value out of range), all through WM_SETTEXT/WM_GETTEXT.
// Does not implement: dialog templates, DialogBox, SendDlgItemMessage.
#include "user32/window.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

using namespace plk::user32;

HWND GetDlgItem(HWND dialog, int id) {
  Window* window = FindWindowObject(dialog);
  if (!window) return nullptr;
  for (HWND child : window->children) {
    Window* control = FindWindowObject(child);
    if (control && static_cast<int>(control->id) == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND handle) {
  Window* window = FindWindowObject(handle);
  return window && window->parent ? static_cast<int>(window->id) : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  const HWND control = GetDlgItem(dialog, id);
  return control ? SetWindowTextA(control, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount) {
  const HWND control = GetDlgItem(dialog, id);
  if (!control) {
    if (text && maxCount > 0) text[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(control, text, maxCount));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  char text[16];
  if (isSigned) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  } else {
    std::snprintf(text, sizeof text, "%u", value);
  }
  return SetDlgItemTextA(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  char text[64];
  if (GetDlgItemTextA(dialog, id, text, sizeof text) == 0) return 0;
  const char* start = text;
  while (*start == ' ' || *start == '\t') ++start;
  if (!isSigned && *start == '-') return 0;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(start, &end, 10);
  if (end == start || errno == ERANGE) return 0;
  if (isSigned ? (value < INT_MIN || value > INT_MAX) : (value < 0 || value > UINT_MAX)) return 0;
  if (translated) *translated = TRUE;
  return static_cast<UINT>(value);
}
