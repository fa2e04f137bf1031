// Registered window classes, looked up by name (case-insensitive, as on Windows).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace plk::user32 {

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  HDC classDC = nullptr;         // CS_CLASSDC: the one DC all windows of the class share
  HWND classDCWindow = nullptr;  // the window the class DC draws into at the moment
  bool popupMenu = false;        // its windows show on host popup menus

  ~WindowClass();
};

std::shared_ptr<WindowClass> FindWindowClass(std::string_view name);

}  // namespace plk::user32
