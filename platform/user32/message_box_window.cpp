// Implements: the message box window (class "#32770", a captioned popup that cannot be
// resized): its layout (text in the dialog face wrapped at 400 pixels or 5/8 of the screen,
// the icon left of it, both centred on each other; a gray band below with the OK button at
// its right; wide enough for the caption), its placement (centred over the owner, kept on
// the screen), its painting, and the answers that end it: IDOK or IDCANCEL from the
// button or the dialog keys, and WM_CLOSE (close box, Alt+F4), all as IDOK.
// Does not implement: buttons other than OK, MB_DEFBUTTON*, MB_HELP, Ctrl+C copying the
// text, system-modal boxes, text larger than the screen (it is cut).
#include "user32/message_box_window.h"

#include "user32/button_control.h"
#include "user32/dc.h"
#include "user32/text_wrap.h"

#include <algorithm>
#include <cstring>

namespace plk::user32 {
namespace {

constexpr const char* kUiFace = "MS Shell Dlg 2";
constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr int kTextHeight = -12;    // 9 points at 96 dpi
constexpr int kSymbolHeight = -24;  // the icon's symbol
constexpr int kMargin = 20;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kMaxTextWidth = 400;
constexpr int kMinClientWidth = 160;
constexpr int kCaptionAllowance = 64;  // the title bar's buttons beside the caption
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kBandPadding = 11;
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kBand = RGB(240, 240, 240);
constexpr COLORREF kText = RGB(0, 0, 0);

HFONT CreateUiFont(int height) {
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH,
                     kUiFace);
}

struct TextMeasure {
  int widths[256] = {};
  int lineHeight = 0;
  int Width(std::string_view text) const {
    int width = 0;
    for (char c : text) width += widths[static_cast<unsigned char>(c)];
    return width;
  }
};

TextMeasure Measure(HFONT font) {
  TextMeasure measure;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, font);
  for (int c = 0; c < 256; ++c) {
    const char character = static_cast<char>(c);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, &character, 1, &size);
    measure.widths[c] = size.cx;
  }
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  measure.lineHeight = metrics.tmHeight;
  SelectObject(dc, previous);
  DeleteDC(dc);
  return measure;
}

MessageBoxLayout LayOut(HFONT font, const char* text, const char* caption, UINT type) {
  const TextMeasure measure = Measure(font);
  MessageBoxLayout layout;
  const int maxWidth = std::min(kMaxTextWidth, GetSystemMetrics(SM_CXSCREEN) * 5 / 8);
  layout.lines = WrapText(text, maxWidth, [&](char c) { return measure.Width({&c, 1}); });
  int textWidth = 0;
  for (const std::string& line : layout.lines) textWidth = std::max(textWidth, measure.Width(line));
  layout.lineHeight = measure.lineHeight;
  const bool icon = HasMessageBoxIcon(type);
  const int textHeight = static_cast<int>(layout.lines.size()) * layout.lineHeight;
  const int contentHeight = std::max(textHeight, icon ? kIconSize : 0);
  const int textLeft = kMargin + (icon ? kIconSize + kIconGap : 0);
  if (icon) {
    const int top = kMargin + (contentHeight - kIconSize) / 2;
    layout.icon = {kMargin, top, kMargin + kIconSize, top + kIconSize};
  }
  layout.text = {textLeft, kMargin + (contentHeight - textHeight) / 2};
  layout.stripTop = kMargin + contentHeight + kMargin;
  layout.client = {std::max({textLeft + textWidth + kMargin, kMinClientWidth,
                             measure.Width(caption) + kCaptionAllowance}),
                   layout.stripTop + kButtonHeight + 2 * kBandPadding};
  const int buttonLeft = layout.client.cx - kBandPadding - kButtonWidth;
  const int buttonTop = layout.stripTop + kBandPadding;
  layout.button = {buttonLeft, buttonTop, buttonLeft + kButtonWidth, buttonTop + kButtonHeight};
  return layout;
}

// The outer rectangle: centred over the owner, or the screen, and kept on the screen.
RECT Placement(HWND owner, SIZE client) {
  RECT outer = {0, 0, client.cx, client.cy};
  AdjustWindowRect(&outer, kBoxStyle, FALSE);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT over = screen;
  if (owner) GetWindowRect(owner, &over);
  const int x = std::clamp<int>(over.left + (over.right - over.left - width) / 2, 0,
                                std::max<int>(0, screen.right - width));
  const int y = std::clamp<int>(over.top + (over.bottom - over.top - height) / 2, 0,
                                std::max<int>(0, screen.bottom - height));
  return {x, y, x + width, y + height};
}

void Paint(HWND window, const MessageBoxState& state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  const MessageBoxLayout& layout = state.layout;
  FillSolid(dc, {0, 0, layout.client.cx, layout.stripTop}, kBackground);
  FillSolid(dc, {0, layout.stripTop, layout.client.cx, layout.client.cy}, kBand);
  DrawMessageBoxIcon(dc, layout.icon.left, layout.icon.top, state.type, state.symbolFont);
  HGDIOBJ previous = SelectObject(dc, state.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kText);
  for (std::size_t i = 0; i < layout.lines.size(); ++i) {
    const std::string& line = layout.lines[i];
    TextOutA(dc, layout.text.x, layout.text.y + static_cast<int>(i) * layout.lineHeight,
             line.c_str(), static_cast<int>(line.size()));
  }
  SelectObject(dc, previous);
  EndPaint(window, &paint);
}

MessageBoxState* StateOf(HWND window) {
  return reinterpret_cast<MessageBoxState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

LRESULT CALLBACK MessageBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  MessageBoxState* state = StateOf(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: Paint(window, *state); return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers the whole client area
    case WM_COMMAND:
      if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return 0;
      [[fallthrough]];
    case WM_CLOSE:  // a box with only OK answers every way of closing it with IDOK
      state->ended = true;
      state->result = IDOK;
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

MessageBoxState::~MessageBoxState() {
  if (font) DeleteObject(font);
  if (symbolFont) DeleteObject(symbolFont);
}

HWND CreateMessageBoxWindow(HWND owner, const char* text, const char* caption, UINT type,
                            MessageBoxState& state) {
  state.type = type;
  state.font = CreateUiFont(kTextHeight);
  state.symbolFont = CreateUiFont(kSymbolHeight);
  state.layout = LayOut(state.font, text, caption, type);
  const RECT place = Placement(owner, state.layout.client);
  const HWND box = CreateWindowExA(0, kMessageBoxClass, caption, kBoxStyle, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, owner,
                                   nullptr, nullptr, &state);
  if (!box) return nullptr;
  const RECT& b = state.layout.button;
  const HWND button = CreateWindowExA(
      0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | kBsDefPushButton, b.left, b.top, b.right - b.left,
      b.bottom - b.top, box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), nullptr, nullptr);
  if (!button) {
    DestroyWindow(box);
    return nullptr;
  }
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
  return box;
}

}  // namespace plk::user32
