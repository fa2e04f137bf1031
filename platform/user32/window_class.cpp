// Implements: RegisterClassExA (refusing duplicates, a missing procedure or name),
// UnregisterClassA (refused while windows of the class exist), lookup by name with
// ASCII case folding, and the class DC of CS_CLASSDC classes.
// Does not implement: class extra bytes, class atoms as names, GetClassInfo, local
// versus global classes (every class is visible to the whole process).
#include "user32/window_class.h"

#include "gdi32/window_surface.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <vector>

namespace plk::user32 {
namespace {

struct ClassTable {
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
  auto windowClass = std::make_shared<WindowClass>();
  windowClass->name = description.lpszClassName;
  windowClass->style = description.style;
  windowClass->procedure = description.lpfnWndProc;
  windowClass->instance = description.hInstance;
  windowClass->icon = description.hIcon;
  windowClass->cursor = description.hCursor;
  windowClass->background = description.hbrBackground;
  table.classes.push_back(std::move(windowClass));
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

bool RegisterSystemClass(const WNDCLASSEXA& description) { return Register(description) != 0; }

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
