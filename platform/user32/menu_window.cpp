// Implements: the popup menu window (class "#32768", shown without taking the activation,
// on a host popup window): items laid out in the dialog face, a check column at the left
// (check marks, radio marks for MFT_RADIOCHECK), the label with its mnemonic underlined,
// the text after a tab right-aligned in a column of its own, an arrow for submenus,
// grayed items, separators, the highlighted item, a one-pixel frame; hit testing.
// Does not implement: bitmaps, owner-drawn items, scrolling menus taller than the screen,
// menu animations, shadows, keyboard cues hidden until Alt is pressed.
#include "user32/menu_window.h"

#include "user32/dc.h"
#include "user32/host/host.h"
#include "user32/window.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace plk::user32 {
namespace {

constexpr const char* kUiFace = "MS Shell Dlg 2";
constexpr int kTextHeight = -12;  // 9 points at 96 dpi, as the message box
constexpr int kFrame = 1;
constexpr int kPadding = 2;  // inside the frame, above the first and below the last item
constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 7;
constexpr int kCheckColumn = 26;
constexpr int kAcceleratorGap = 28;
constexpr int kArrowColumn = 22;
constexpr int kMinWidth = 120;
constexpr COLORREF kBackground = RGB(242, 242, 242);
constexpr COLORREF kFrameColour = RGB(151, 151, 151);
constexpr COLORREF kHighlight = RGB(204, 232, 255);
constexpr COLORREF kSeparator = RGB(215, 215, 215);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kGrayText = RGB(109, 109, 109);

int TextWidth(HDC dc, std::string_view text) {
  SIZE size = {0, 0};
  if (!text.empty()) GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void Mark(HDC dc, int x, int y, int size, COLORREF colour) {
  FillSolid(dc, {x, y, x + size, y + size}, colour);
}

// A tick 9 pixels wide, two pixels thick, centred on (cx, cy).
void DrawCheck(HDC dc, int cx, int cy, COLORREF colour) {
  for (int i = 0; i < 4; ++i) Mark(dc, cx - 4 + i, cy - 1 + i, 2, colour);
  for (int i = 0; i < 6; ++i) Mark(dc, cx - 1 + i, cy + 2 - i, 2, colour);
}

void DrawRadio(HDC dc, int cx, int cy, COLORREF colour) {
  constexpr int kRadius = 3;
  for (int dy = -kRadius; dy <= kRadius; ++dy) {
    const int half = static_cast<int>(std::sqrt(kRadius * kRadius + 0.5 - dy * dy));
    FillSolid(dc, {cx - half, cy + dy, cx + half + 1, cy + dy + 1}, colour);
  }
}

// A solid triangle pointing right, 4 wide and 7 high, its point at (x + 3, cy).
void DrawArrow(HDC dc, int x, int cy, COLORREF colour) {
  for (int i = 0; i <= 3; ++i) FillSolid(dc, {x, cy - 3 + i, x + i + 1, cy - 2 + i}, colour);
  for (int i = 0; i < 3; ++i) FillSolid(dc, {x, cy + 1 + i, x + 3 - i, cy + 2 + i}, colour);
}

void DrawItem(HDC dc, const MenuPopup& popup, int index, int ascent) {
  const MenuItem& item = popup.items[index];
  const RECT& r = popup.rects[index];
  const bool highlighted = index == popup.selected;
  FillSolid(dc, r, highlighted ? kHighlight : kBackground);
  if (item.flags & MF_SEPARATOR) {
    const int y = (r.top + r.bottom) / 2;
    FillSolid(dc, {r.left + kCheckColumn, y, r.right - kPadding, y + 1}, kSeparator);
    return;
  }
  const COLORREF colour = (item.flags & (MF_GRAYED | MF_DISABLED)) ? kGrayText : kText;
  const int cy = (r.top + r.bottom) / 2;
  if (item.flags & MF_CHECKED) {
    if (item.flags & MFT_RADIOCHECK) {
      DrawRadio(dc, r.left + kCheckColumn / 2, cy, colour);
    } else {
      DrawCheck(dc, r.left + kCheckColumn / 2, cy, colour);
    }
  }
  const MenuLabel& label = popup.labels[index];
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  const int top = r.top + (r.bottom - r.top - metrics.tmHeight) / 2;
  SetTextColor(dc, colour);
  const int left = r.left + kCheckColumn;
  TextOutA(dc, left, top, label.text.c_str(), static_cast<int>(label.text.size()));
  if (label.underline >= 0) {
    const int x = left + TextWidth(dc, std::string_view(label.text).substr(0, label.underline));
    const int width = TextWidth(dc, std::string_view(label.text).substr(label.underline, 1));
    FillSolid(dc, {x, top + ascent + 1, x + width, top + ascent + 2}, colour);
  }
  if (!label.accelerator.empty()) {
    const int right = r.right - kArrowColumn;
    TextOutA(dc, right - TextWidth(dc, label.accelerator), top, label.accelerator.c_str(),
             static_cast<int>(label.accelerator.size()));
  }
  if (item.flags & MF_POPUP) DrawArrow(dc, r.right - kArrowColumn / 2 - 2, cy, colour);
}

void Paint(HWND window, const MenuPopup& popup) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  const SIZE c = popup.client;
  FillSolid(dc, {0, 0, c.cx, c.cy}, kFrameColour);
  FillSolid(dc, {kFrame, kFrame, c.cx - kFrame, c.cy - kFrame}, kBackground);
  HGDIOBJ previous = SelectObject(dc, popup.font);
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  for (std::size_t i = 0; i < popup.items.size(); ++i) {
    DrawItem(dc, popup, static_cast<int>(i), metrics.tmAscent);
  }
  SelectObject(dc, previous);
  EndPaint(window, &paint);
}

MenuPopup* PopupOf(HWND window) {
  return reinterpret_cast<MenuPopup*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

LRESULT CALLBACK MenuProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  MenuPopup* popup = PopupOf(window);
  if (!popup) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: Paint(window, *popup); return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers the whole client area
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

MenuLabel ParseMenuLabel(std::string_view text) {
  MenuLabel label;
  const std::size_t tab = text.find('\t');
  if (tab != std::string_view::npos) {
    label.accelerator = std::string(text.substr(tab + 1));
    text = text.substr(0, tab);
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      ++i;  // "&&" is one "&"; "&x" marks x
      if (text[i] != '&' && label.underline < 0) {
        label.underline = static_cast<int>(label.text.size());
      }
    }
    label.text += text[i];
  }
  return label;
}

char MenuMnemonic(const MenuLabel& label) {
  if (label.underline < 0) return 0;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(label.text[label.underline])));
}

bool Selectable(const MenuItem& item) { return !(item.flags & MF_SEPARATOR); }

bool Chooseable(const MenuItem& item) {
  return !(item.flags & (MF_SEPARATOR | MF_POPUP | MF_GRAYED | MF_DISABLED));
}

HFONT MenuFont() {
  static const HFONT font = CreateFontA(kTextHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                        DEFAULT_QUALITY, VARIABLE_PITCH, kUiFace);
  return font;
}

void PrepareMenus() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, MenuFont());
  TextWidth(dc, "Menu");
  SelectObject(dc, previous);
  DeleteDC(dc);
  PrepareHostWindow(HostWindowKind::kPopupMenu);
}

void LayOutMenuPopup(MenuPopup& popup) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, popup.font);
  popup.labels.clear();
  int labelWidth = 0;
  int acceleratorWidth = 0;
  for (const MenuItem& item : popup.items) {
    popup.labels.push_back(ParseMenuLabel(item.text));
    labelWidth = std::max(labelWidth, TextWidth(dc, popup.labels.back().text));
    acceleratorWidth = std::max(acceleratorWidth, TextWidth(dc, popup.labels.back().accelerator));
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  const int inner = kCheckColumn + labelWidth +
                    (acceleratorWidth ? kAcceleratorGap + acceleratorWidth : 0) + kArrowColumn;
  const int width = std::max(kMinWidth, inner + 2 * (kFrame + kPadding));
  popup.rects.clear();
  int y = kFrame + kPadding;
  for (const MenuItem& item : popup.items) {
    const int height = (item.flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
    popup.rects.push_back({kFrame + kPadding, y, width - kFrame - kPadding, y + height});
    y += height;
  }
  popup.client = {width, y + kPadding + kFrame};
}

HWND CreateMenuWindow(MenuPopup& popup, HWND owner, POINT screen) {
  popup.window = CreateWindowExA(0, kMenuClass, "", WS_POPUP, screen.x, screen.y, popup.client.cx,
                                 popup.client.cy, owner, nullptr, nullptr, &popup);
  return popup.window;
}

void SelectMenuItem(MenuPopup& popup, int index) {
  if (index == popup.selected) return;
  for (int changed : {popup.selected, index}) {
    if (changed >= 0) InvalidateRect(popup.window, &popup.rects[changed], FALSE);
  }
  popup.selected = index;
}

int MenuItemAt(const MenuPopup& popup, POINT client) {
  for (std::size_t i = 0; i < popup.rects.size(); ++i) {
    const RECT& r = popup.rects[i];
    if (client.x >= r.left && client.x < r.right && client.y >= r.top && client.y < r.bottom) {
      return Selectable(popup.items[i]) ? static_cast<int>(i) : -1;
    }
  }
  return -1;
}

}  // namespace plk::user32
