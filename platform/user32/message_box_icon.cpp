// Implements: the message box icons drawn with GDI calls: MB_ICONERROR a red disc with a
// white X, MB_ICONQUESTION a blue disc with "?", MB_ICONWARNING a yellow triangle with a
// black "!", MB_ICONINFORMATION a blue disc with "i"; the symbol in the box's own face.
// Does not implement: MB_USERICON, the system's icon resources, smoothed edges.
#include "user32/message_box_window.h"

#include <cmath>

namespace plk::user32 {
namespace {

constexpr int kIconSize = 32;
constexpr UINT kIconMask = 0xF0;
constexpr UINT kIconQuestion = 0x20;

enum class Shape { kDisc, kTriangle };

struct IconLook {
  UINT kind;
  Shape shape;
  COLORREF fill;
  COLORREF mark;
  char symbol;
};

constexpr IconLook kLooks[] = {
    {MB_ICONERROR, Shape::kDisc, RGB(232, 17, 35), RGB(255, 255, 255), 'X'},
    {kIconQuestion, Shape::kDisc, RGB(0, 120, 215), RGB(255, 255, 255), '?'},
    {MB_ICONWARNING, Shape::kTriangle, RGB(255, 185, 0), RGB(0, 0, 0), '!'},
    {MB_ICONINFORMATION, Shape::kDisc, RGB(0, 120, 215), RGB(255, 255, 255), 'i'},
};

const IconLook* LookOf(UINT type) {
  for (const IconLook& look : kLooks) {
    if (look.kind == (type & kIconMask)) return &look;
  }
  return nullptr;
}

// Half the width of the shape's row y, measured at the row's middle.
double HalfWidth(Shape shape, int y) {
  const double middle = y + 0.5;
  if (shape == Shape::kTriangle) return middle * (kIconSize / 2.0) / kIconSize;
  const double dy = middle - kIconSize / 2.0;
  const double radius = kIconSize / 2.0;
  return dy * dy < radius * radius ? std::sqrt(radius * radius - dy * dy) : 0;
}

}  // namespace

bool HasMessageBoxIcon(UINT type) { return LookOf(type) != nullptr; }

void DrawMessageBoxIcon(HDC dc, int x, int y, UINT type, HFONT symbolFont) {
  const IconLook* look = LookOf(type);
  if (!look) return;
  HBRUSH fill = CreateSolidBrush(look->fill);
  for (int row = 0; row < kIconSize; ++row) {
    const int half = static_cast<int>(std::lround(HalfWidth(look->shape, row)));
    const RECT span = {x + kIconSize / 2 - half, y + row, x + kIconSize / 2 + half, y + row + 1};
    FillRect(dc, &span, fill);
  }
  DeleteObject(fill);
  HGDIOBJ previous = SelectObject(dc, symbolFont);
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, &look->symbol, 1, &extent);
  const int drop = look->shape == Shape::kTriangle ? 3 : 0;  // into the triangle's wide part
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, look->mark);
  TextOutA(dc, x + (kIconSize - extent.cx) / 2, y + drop + (kIconSize - extent.cy) / 2,
           &look->symbol, 1);
  SelectObject(dc, previous);
}

}  // namespace plk::user32
