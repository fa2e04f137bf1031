// Implements: RegisterClassExA (refusing duplicates, a missing procedure or name),
// UnregisterClassA (refused while windows of the class exist), lookup by name with
// ASCII case folding, the built-in classes present from the start (builtin_classes.cpp),
// and the class DC of CS_CLASSDC classes.
// Does not implement: class extra bytes, class atoms as names, GetClassInfo, local
// versus global classes (every class is visible to the whole process).
#include "user32/window_class.h"

#include "gdi32/window_surface.h"
#include "user32/builtin_classes.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <vector>

namespace plk::user32 {
namespace {

std::shared_ptr<WindowClass> MakeClass(const WNDCLASSEXA& description) {
  auto windowClass = std::make_shared<WindowClass>();
  windowClass->name = description.lpszClassName;
  windowClass->style = description.style;
  windowClass->procedure = description.lpfnWndProc;
  windowClass->instance = description.hInstance;
  windowClass->icon = description.hIcon;
  windowClass->cursor = description.hCursor;
  windowClass->background = description.hbrBackground;
  return windowClass;
}

// Starts with the built-in classes, which take no atom from the registered range.
struct ClassTable {
  ClassTable() {
    for (const BuiltinClass& builtin : BuiltinClasses()) {
      WNDCLASSEXA description = {};
      description.cbSize = sizeof description;
      description.lpfnWndProc = builtin.procedure;
      description.lpszClassName = builtin.name;
      classes.push_back(MakeClass(description));
      classes.back()->popupMenu = builtin.popupMenu;
    }
  }

  std::mutex mutex;
  std::vector<std::shared_ptr<WindowClass>> classes;
  ATOM nextAtom = 0xC000;  // the range Windows hands out for registered classes
};

ClassTable& Classes() {
  static ClassTable table;
  return table;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

ATOM Register(const WNDCLASSEXA& description) {
  if (!description.lpfnWndProc || !description.lpszClassName ||
      IS_INTRESOURCE(description.lpszClassName) || !*description.lpszClassName) {
    return 0;
  }
  ClassTable& table = Classes();
  std::lock_guard lock(table.mutex);
  for (const auto& existing : table.classes) {
    if (SameName(existing->name, description.lpszClassName)) return 0;
  }
  table.classes.push_back(MakeClass(description));
  return table.nextAtom++;
}

}  // namespace

WindowClass::~WindowClass() {
  if (classDC) plk::gdi::DestroyWindowDC(classDC);
}

std::shared_ptr<WindowClass> FindWindowClass(std::string_view name) {
  ClassTable& table = Classes();
  std::lock_guard lock(table.mutex);
  for (const auto& existing : table.classes) {
    if (SameName(existing->name, name)) return existing;
  }
  return nullptr;
}

}  // namespace plk::user32

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXA)) return 0;
  return plk::user32::Register(*windowClass);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  if (!className || IS_INTRESOURCE(className)) return FALSE;
  auto& table = plk::user32::Classes();
  std::lock_guard lock(table.mutex);
  auto found = std::find_if(table.classes.begin(), table.classes.end(), [&](const auto& c) {
    return plk::user32::SameName(c->name, className);
  });
  // Windows refuses while a window of the class exists; each window holds a reference.
  if (found == table.classes.end() || found->use_count() > 1) return FALSE;
  table.classes.erase(found);
  return TRUE;
}
