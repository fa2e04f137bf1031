// Implements: the "EDIT" class as a single-line edit: ES_NUMBER, EM_LIMITTEXT, EM_SETSEL,
// EM_GETSEL, WM_SETTEXT/WM_GETTEXT/WM_GETTEXTLENGTH, WM_SETFONT/WM_GETFONT, typing
// (WM_CHAR) that replaces the selection, Backspace, Delete, Left, Right, Home and End, a
// left click that takes the focus and places the caret, painting in the given font on
// white with the selection highlighted and a steady caret while focused, WM_GETDLGCODE,
// and the notifications EN_SETFOCUS, EN_KILLFOCUS, EN_UPDATE, EN_CHANGE and EN_MAXTEXT
// sent to the parent as WM_COMMAND with the control's id.
// Does not implement: multi-line edits, borders (WS_BORDER, WS_EX_CLIENTEDGE), horizontal
// scrolling of long text, alignment styles, password characters, mouse selection by
// dragging, double-click, the clipboard, undo, a blinking caret.
#include "user32/edit_control.h"

#include <windows.h>

#include <map>

#include "user32/edit_text.h"

namespace plk::user32 {
namespace {

constexpr int kLeftMargin = 2;
constexpr COLORREF kHighlight = RGB(0, 120, 215);
constexpr COLORREF kHighlightText = RGB(255, 255, 255);
constexpr COLORREF kText = RGB(0, 0, 0);

struct EditState {
  EditText text;
  HFONT font = nullptr;
};

// Edit controls belong to the UI thread that created them.
std::map<HWND, EditState>& States() {
  static std::map<HWND, EditState> states;
  return states;
}

EditState* StateOf(HWND window) {
  auto found = States().find(window);
  return found == States().end() ? nullptr : &found->second;
}

void Notify(HWND window, WORD code) {
  SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), code),
               reinterpret_cast<LPARAM>(window));
}

void Changed(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  Notify(window, EN_UPDATE);
  Notify(window, EN_CHANGE);
}

// Width in pixels of the first `count` characters in the control's font.
int TextWidth(HDC dc, const std::string& text, std::size_t count) {
  SIZE size = {0, 0};
  if (count > 0) GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(count), &size);
  return size.cx;
}

// The character boundary nearest to client x.
std::size_t PositionAt(HWND window, const EditState& state, int x) {
  HDC dc = GetDC(window);
  HGDIOBJ previous = state.font ? SelectObject(dc, state.font) : nullptr;
  const std::string& text = state.text.text();
  std::size_t best = 0;
  int bestDistance = 0x7FFFFFFF;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const int edge = kLeftMargin + TextWidth(dc, text, i);
    const int distance = edge > x ? edge - x : x - edge;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  if (previous) SelectObject(dc, previous);
  ReleaseDC(window, dc);
  return best;
}

void Paint(HWND window, EditState& state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HGDIOBJ previous = state.font ? SelectObject(dc, state.font) : nullptr;
  const std::string& text = state.text.text();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kText);
  TextOutA(dc, kLeftMargin, 0, text.c_str(), static_cast<int>(text.size()));
  const bool focused = GetFocus() == window;
  const std::size_t start = state.text.SelectionStart();
  const std::size_t end = state.text.SelectionEnd();
  if (focused && start != end) {
    // The selection is drawn over the plain text, as highlighted cells.
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kHighlight);
    SetTextColor(dc, kHighlightText);
    TextOutA(dc, kLeftMargin + TextWidth(dc, text, start), 0, text.c_str() + start,
             static_cast<int>(end - start));
  }
  if (focused) {
    const int x = kLeftMargin + TextWidth(dc, text, state.text.caret());
    const RECT caret = {x, client.top, x + 1, client.bottom};
    FillRect(dc, &caret, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  if (previous) SelectObject(dc, previous);
  EndPaint(window, &paint);
}

LRESULT OnCreate(HWND window, const CREATESTRUCTA* creation) {
  EditState& state = States()[window];
  state.text.SetDigitsOnly((GetWindowLongA(window, GWL_STYLE) & ES_NUMBER) != 0);
  if (creation && creation->lpszName) state.text.SetText(creation->lpszName);
  return 0;
}

LRESULT OnChar(HWND window, EditState& state, char character) {
  if (character == '\b') {
    if (state.text.Backspace()) Changed(window);
    return 0;
  }
  if (static_cast<unsigned char>(character) < 0x20) return 0;
  if (state.text.Type(character)) {
    Changed(window);
  } else if (state.text.Accepts(character)) {
    Notify(window, EN_MAXTEXT);
  }
  return 0;
}

LRESULT OnKeyDown(HWND window, EditState& state, WPARAM key) {
  switch (key) {
    case VK_DELETE:
      if (state.text.Delete()) Changed(window);
      return 0;
    case VK_LEFT: state.text.MoveLeft(); break;
    case VK_RIGHT: state.text.MoveRight(); break;
    case VK_HOME: state.text.MoveHome(); break;
    case VK_END: state.text.MoveEnd(); break;
    default: return 0;
  }
  InvalidateRect(window, nullptr, TRUE);
  return 0;
}

LRESULT OnLButtonDown(HWND window, LPARAM point) {
  if (GetFocus() != window) SetFocus(window);
  EditState* state = StateOf(window);  // the focus change may have destroyed the control
  if (!state) return 0;
  state->text.PlaceCaret(PositionAt(window, *state, static_cast<short>(LOWORD(point))));
  InvalidateRect(window, nullptr, TRUE);
  return 0;
}

LRESULT OnGetText(const EditState& state, WPARAM size, LPSTR buffer) {
  if (!buffer || size == 0) return 0;
  const std::string& text = state.text.text();
  const std::size_t count = text.size() < size - 1 ? text.size() : size - 1;
  text.copy(buffer, count);
  buffer[count] = '\0';
  return static_cast<LRESULT>(count);
}

LRESULT OnGetSel(const EditState& state, WPARAM startOut, LPARAM endOut) {
  const auto start = static_cast<DWORD>(state.text.SelectionStart());
  const auto end = static_cast<DWORD>(state.text.SelectionEnd());
  if (startOut) *reinterpret_cast<DWORD*>(startOut) = start;
  if (endOut) *reinterpret_cast<DWORD*>(endOut) = end;
  return MAKELONG(start, end);
}

}  // namespace

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) return OnCreate(window, reinterpret_cast<CREATESTRUCTA*>(lParam));
  if (message == WM_NCDESTROY) {
    States().erase(window);
    return 0;
  }
  EditState* state = StateOf(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: Paint(window, *state); return 0;
    case WM_ERASEBKGND: return 1;  // the paint fills the whole control
    case WM_SETTEXT:
      state->text.SetText(lParam ? reinterpret_cast<LPCSTR>(lParam) : "");
      Changed(window);
      return TRUE;
    case WM_GETTEXT: return OnGetText(*state, wParam, reinterpret_cast<LPSTR>(lParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(state->text.text().size());
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case EM_LIMITTEXT: state->text.SetLimit(wParam); return 0;
    case EM_SETSEL:
      state->text.Select(static_cast<int>(wParam), static_cast<int>(lParam));
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case EM_GETSEL: return OnGetSel(*state, wParam, lParam);
    case WM_CHAR: return OnChar(window, *state, static_cast<char>(wParam));
    case WM_KEYDOWN: return OnKeyDown(window, *state, wParam);
    case WM_LBUTTONDOWN: return OnLButtonDown(window, lParam);
    case WM_SETFOCUS:
      InvalidateRect(window, nullptr, TRUE);
      Notify(window, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      InvalidateRect(window, nullptr, TRUE);
      Notify(window, EN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace plk::user32
