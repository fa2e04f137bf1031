// The test seam of MessageBoxA: boxes collected instead of shown, or shown as real modal
// boxes on the headless video drivers so that tests can work them with injected input.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace plk::user32::testing {

struct ShownMessageBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};
// While intercepting, MessageBoxA records the box and returns IDOK at once.
void InterceptMessageBoxes(bool intercept);
std::vector<ShownMessageBox> TakeMessageBoxes();
// While set, MessageBoxA runs the real modal box even on a headless video driver.
void ShowMessageBoxesHeadless(bool show);

}  // namespace plk::user32::testing
