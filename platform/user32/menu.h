// Popup menus: the objects behind HMENU and what TrackPopupMenu reads of them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace plk::user32 {

struct MenuItem {
  UINT flags = 0;   // MF_* and MFT_RADIOCHECK, without MF_BYPOSITION
  UINT_PTR id = 0;  // the command; unused for a submenu
  HMENU submenu = nullptr;
  std::string text;  // may hold "&" mnemonics and a tab before the accelerator
};

// A copy of the menu's items; none for a handle that names no menu.
std::optional<std::vector<MenuItem>> MenuItems(HMENU menu);

}  // namespace plk::user32
