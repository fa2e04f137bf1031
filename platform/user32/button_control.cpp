// Implements: the "BUTTON" class as a push button (BS_PUSHBUTTON, BS_DEFPUSHBUTTON): its
// text centred in the font given by WM_SETFONT on a flat face inside a thin border (the
// default button's border thicker and accented), drawn pressed while the left mouse
// button or Space is held on it. A click released over it, or Space released, sends
// BN_CLICKED to the parent as WM_COMMAND with the control's id; a click takes the focus
// and the mouse capture until the button comes up. WM_GETDLGCODE answers DLGC_BUTTON with
// DLGC_DEFPUSHBUTTON or DLGC_UNDEFPUSHBUTTON.
// Does not implement: check boxes, radio buttons, group boxes, owner drawing, BM_*
// messages, hot tracking, the focus rectangle, disabled drawing, images.
#include "user32/button_control.h"

#include "user32/dc.h"
#include "user32/mouse_capture.h"

#include <map>
#include <string>

namespace plk::user32 {
namespace {

constexpr COLORREF kFace = RGB(225, 225, 225);
constexpr COLORREF kPressedFace = RGB(204, 228, 247);
constexpr COLORREF kBorder = RGB(173, 173, 173);
constexpr COLORREF kDefaultBorder = RGB(0, 120, 215);
constexpr COLORREF kText = RGB(0, 0, 0);

struct ButtonState {
  HFONT font = nullptr;
  bool pressed = false;
  bool spaceHeld = false;
};

// Buttons belong to the UI thread that created them.
std::map<HWND, ButtonState>& States() {
  static std::map<HWND, ButtonState> states;
  return states;
}

bool IsDefault(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & kBsDefPushButton) != 0; }

void Paint(HWND window, const ButtonState& state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  RECT client;
  GetClientRect(window, &client);
  const int border = IsDefault(window) ? 2 : 1;
  FillSolid(dc, client, IsDefault(window) ? kDefaultBorder : kBorder);
  const RECT face = {client.left + border, client.top + border, client.right - border,
                     client.bottom - border};
  FillSolid(dc, face, state.pressed ? kPressedFace : kFace);
  char text[64];
  const int length = GetWindowTextA(window, text, sizeof text);
  HGDIOBJ previous = state.font ? SelectObject(dc, state.font) : nullptr;
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, text, length, &extent);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kText);
  TextOutA(dc, (client.right - extent.cx) / 2, (client.bottom - extent.cy) / 2, text, length);
  if (previous) SelectObject(dc, previous);
  EndPaint(window, &paint);
}

void Press(HWND window, ButtonState& state, bool pressed) {
  if (state.pressed == pressed) return;
  state.pressed = pressed;
  InvalidateRect(window, nullptr, FALSE);
}

// Last: the parent may destroy the button.
void Click(HWND window) {
  SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), kBnClicked),
               reinterpret_cast<LPARAM>(window));
}

LRESULT OnLButtonDown(HWND window) {
  if (GetFocus() != window) SetFocus(window);
  auto found = States().find(window);  // the focus change may have destroyed the button
  if (found == States().end()) return 0;
  SetMouseCapture(window);
  Press(window, found->second, true);
  return 0;
}

LRESULT OnLButtonUp(HWND window, ButtonState& state, LPARAM point) {
  if (MouseCapture() != window) return 0;
  SetMouseCapture(nullptr);
  const bool wasPressed = state.pressed;
  Press(window, state, false);
  RECT client;
  GetClientRect(window, &client);
  const POINT at = {static_cast<SHORT>(LOWORD(point)), static_cast<SHORT>(HIWORD(point))};
  if (wasPressed && at.x >= 0 && at.y >= 0 && at.x < client.right && at.y < client.bottom) {
    Click(window);
  }
  return 0;
}

LRESULT OnKey(HWND window, ButtonState& state, UINT message, WPARAM key, LPARAM lParam) {
  if (key != VK_SPACE) return 0;
  if (message == WM_KEYDOWN && !(lParam & (1 << 30))) {
    state.spaceHeld = true;
    Press(window, state, true);
  } else if (message == WM_KEYUP && state.spaceHeld) {
    state.spaceHeld = false;
    Press(window, state, false);
    Click(window);
  }
  return 0;
}

LRESULT OnKillFocus(HWND window, ButtonState& state) {
  state.spaceHeld = false;
  if (MouseCapture() == window) SetMouseCapture(nullptr);
  Press(window, state, false);
  return 0;
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    States()[window] = ButtonState{};
    return 0;
  }
  if (message == WM_NCDESTROY) {
    States().erase(window);
    return 0;
  }
  auto found = States().find(window);
  if (found == States().end()) return DefWindowProcA(window, message, wParam, lParam);
  ButtonState& state = found->second;
  switch (message) {
    case WM_PAINT: Paint(window, state); return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers the whole button
    case WM_SETFONT:
      state.font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case WM_LBUTTONDOWN: return OnLButtonDown(window);
    case WM_LBUTTONUP: return OnLButtonUp(window, state, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP: return OnKey(window, state, message, wParam, lParam);
    case WM_KILLFOCUS: return OnKillFocus(window, state);
    case WM_GETDLGCODE:
      return kDlgcButton | (IsDefault(window) ? kDlgcDefPushButton : kDlgcUndefPushButton);
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace plk::user32
