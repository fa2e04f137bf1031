// The window classes that user32 provides itself: they exist before the program
// registers any, and every process sees them.
#pragma once

#include <windows.h>

#include <span>

namespace plk::user32 {

struct BuiltinClass {
  const char* name;
  WNDPROC procedure;
  bool popupMenu = false;  // its windows show on host popup menus
};

std::span<const BuiltinClass> BuiltinClasses();

}  // namespace plk::user32
