// Implements: popup menus as objects of their own handle range: CreatePopupMenu,
// AppendMenuA and ModifyMenuA (strings, separators, submenus, checked, grayed and
// disabled items), DeleteMenu and DestroyMenu (submenus go with their item),
// CheckMenuItem, CheckMenuRadioItem and EnableMenuItem (each answering the previous
// state, or -1 for no such item), GetMenuItemCount. Items named by command are looked for
// depth first through the submenus, as Windows does.
// Does not implement: menu bars (CreateMenu, SetMenu), bitmaps and owner-drawn items,
// MF_MENUBREAK columns, InsertMenuA, Get/SetMenuItemInfoA, RemoveMenu, default items.
#include "user32/menu.h"

#include "handle_table.h"

#include <utility>

namespace plk::user32 {
namespace {

struct Menu {
  std::vector<MenuItem> items;
};

HandleTable<Menu, HMENU>& Menus() {
  static HandleTable<Menu, HMENU> table(HandleRange::kMenus);
  return table;
}

constexpr UINT kNotFound = static_cast<UINT>(-1);

// The item `position` names in `menu` (by place, or by command through the submenus);
// null when there is none. The table's lock must be held.
MenuItem* FindItemLocked(HMENU menu, UINT position, UINT flags, HMENU* holder = nullptr) {
  Menu* found = Menus().FindLocked(menu);
  if (!found) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (position >= found->items.size()) return nullptr;
    if (holder) *holder = menu;
    return &found->items[position];
  }
  for (MenuItem& item : found->items) {
    if (item.flags & MF_POPUP) {
      if (MenuItem* inner = FindItemLocked(item.submenu, position, flags, holder)) return inner;
    } else if (!(item.flags & MF_SEPARATOR) && item.id == position) {
      if (holder) *holder = menu;
      return &item;
    }
  }
  return nullptr;
}

MenuItem NewItem(UINT flags, UINT_PTR id, LPCSTR text) {
  MenuItem item;
  item.flags = flags & ~static_cast<UINT>(MF_BYPOSITION);
  if (flags & MF_POPUP) {
    item.submenu = reinterpret_cast<HMENU>(id);
  } else {
    item.id = id;
  }
  if (!(flags & MF_SEPARATOR) && text) item.text = text;
  return item;
}

bool ValidItem(const MenuItem& item) {
  if (!(item.flags & MF_POPUP)) return true;
  auto lock = Menus().Lock();
  return Menus().FindLocked(item.submenu) != nullptr;
}

// Sets the bits of `mask` in an item to those of `bits`; the previous bits, or -1.
UINT ChangeState(HMENU menu, UINT position, UINT flags, UINT mask, UINT bits) {
  auto lock = Menus().Lock();
  MenuItem* item = FindItemLocked(menu, position, flags);
  if (!item) return kNotFound;
  const UINT previous = item->flags & mask;
  item->flags = (item->flags & ~mask) | (bits & mask);
  return previous;
}

void DestroyMenuTree(HMENU menu) {
  std::optional<Menu> removed = Menus().Remove(menu);
  if (!removed) return;
  for (const MenuItem& item : removed->items) {
    if (item.flags & MF_POPUP) DestroyMenuTree(item.submenu);
  }
}

}  // namespace

std::optional<std::vector<MenuItem>> MenuItems(HMENU menu) {
  auto items = Menus().With(menu, [](Menu& found) { return found.items; });
  return items;
}

}  // namespace plk::user32

using namespace plk::user32;

HMENU CreatePopupMenu(void) { return Menus().Add(Menu{}); }

BOOL DestroyMenu(HMENU menu) {
  if (!MenuItems(menu)) return FALSE;
  DestroyMenuTree(menu);
  return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
  MenuItem item = NewItem(flags, idNewItem, newItem);
  if (!ValidItem(item)) return FALSE;
  return Menus()
      .With(menu,
            [&](Menu& found) {
              found.items.push_back(std::move(item));
              return true;
            })
      .has_value();
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
  MenuItem item = NewItem(flags, idNewItem, newItem);
  if (!ValidItem(item)) return FALSE;
  HMENU replaced = nullptr;
  {
    auto lock = Menus().Lock();
    MenuItem* found = FindItemLocked(menu, position, flags);
    if (!found) return FALSE;
    // Windows destroys the submenu an item held when it gets another one.
    if ((found->flags & MF_POPUP) && found->submenu != item.submenu) replaced = found->submenu;
    *found = std::move(item);
  }
  if (replaced) DestroyMenuTree(replaced);
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  HMENU submenu = nullptr;
  {
    auto lock = Menus().Lock();
    HMENU holder = nullptr;
    MenuItem* found = FindItemLocked(menu, position, flags, &holder);
    if (!found) return FALSE;
    if (found->flags & MF_POPUP) submenu = found->submenu;
    std::vector<MenuItem>& items = Menus().FindLocked(holder)->items;
    items.erase(items.begin() + (found - items.data()));
  }
  if (submenu) DestroyMenuTree(submenu);
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT idCheckItem, UINT check) {
  return ChangeState(menu, idCheckItem, check, MF_CHECKED, check);
}

BOOL EnableMenuItem(HMENU menu, UINT idEnableItem, UINT enable) {
  return static_cast<BOOL>(
      ChangeState(menu, idEnableItem, enable, MF_GRAYED | MF_DISABLED, enable));
}

// The group is the run of items from `first` to `last` in the menu that holds them (by
// place, or by command); the chosen one gets a radio mark, the others lose theirs.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  auto lock = Menus().Lock();
  HMENU holder = nullptr;
  if (!FindItemLocked(menu, check, flags, &holder)) return FALSE;
  bool checked = false;
  std::vector<MenuItem>& items = Menus().FindLocked(holder)->items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    MenuItem& item = items[i];
    const UINT key = (flags & MF_BYPOSITION) ? static_cast<UINT>(i) : static_cast<UINT>(item.id);
    if ((item.flags & (MF_POPUP | MF_SEPARATOR)) || key < first || key > last) continue;
    if (key == check) {
      item.flags |= MF_CHECKED | MFT_RADIOCHECK;
      checked = true;
    } else {
      item.flags &= ~static_cast<UINT>(MF_CHECKED);
    }
  }
  return checked ? TRUE : FALSE;
}

int GetMenuItemCount(HMENU menu) {
  auto count = Menus().With(menu, [](Menu& found) { return static_cast<int>(found.items.size()); });
  return count ? *count : -1;
}
