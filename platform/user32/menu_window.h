// The window of one open popup menu (class "#32768"): its items laid out, painted and hit.
#pragma once

#include <windows.h>

#include "user32/menu.h"

#include <string>
#include <string_view>
#include <vector>

namespace plk::user32 {

constexpr const char* kMenuClass = "#32768";
LRESULT CALLBACK MenuProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// An item's text as drawn: without its "&" marks, the mnemonic's place, and the part
// after the first tab.
struct MenuLabel {
  std::string text;
  int underline = -1;  // the index in `text` of the mnemonic, -1 for none
  std::string accelerator;
};
MenuLabel ParseMenuLabel(std::string_view text);
// The mnemonic's key (an upper-case letter or digit), 0 for none.
char MenuMnemonic(const MenuLabel& label);

// One open popup; it outlives its window.
struct MenuPopup {
  HMENU menu = nullptr;
  std::vector<MenuItem> items;
  std::vector<MenuLabel> labels;
  std::vector<RECT> rects;  // the items in client coordinates
  SIZE client = {};
  HFONT font = nullptr;  // not owned
  int selected = -1;
  HWND window = nullptr;
};

// Fills in labels, rects and client of a popup whose items are set.
void LayOutMenuPopup(MenuPopup& popup);
// A hidden popup window owned by `owner` covering `screen`, which must be popup.client
// large; null when it cannot be made.
HWND CreateMenuWindow(MenuPopup& popup, HWND owner, POINT screen);
// Highlights item `index` (-1: none), repainting what changed.
void SelectMenuItem(MenuPopup& popup, int index);
// The item under a client point, -1 for none (separators included).
int MenuItemAt(const MenuPopup& popup, POINT client);
// An item that can be highlighted: anything but a separator.
bool Selectable(const MenuItem& item);
bool Chooseable(const MenuItem& item);

// The font items are drawn in, made once and kept.
HFONT MenuFont();
// Loads what the first menu needs (its font's face, a host window) ahead of it: a right
// button press is the moment, as its release will open a context menu.
void PrepareMenus();

}  // namespace plk::user32
