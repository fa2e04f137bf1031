// The window object behind an HWND, the table of live windows and the window tree.
#pragma once

#include <windows.h>

#include "user32/region.h"
#include "user32/scroll_bar.h"

#include <memory>
#include <string>
#include <vector>

namespace plk::user32 {

class MessageQueue;
class TopLevelPixels;
struct WindowClass;

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> windowClass;
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;
  HWND owner = nullptr;        // a top-level window that this top-level one stays above
  std::vector<HWND> children;  // in creation order
  RECT rect = {};  // outer rectangle: screen coordinates, or parent-client ones for a child
  std::string text;
  LONG_PTR id = 0;  // the control id of a child (its HMENU argument)
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  ScrollBar verticalBar;
  Region update;  // client coordinates
  bool erasePending = false;
  bool needsSizeMessage = false;  // overlapped windows get WM_SIZE at their first showing
  bool minimized = false;
  bool destroying = false;
  std::shared_ptr<MessageQueue> queue;     // of the thread that created the window
  std::unique_ptr<TopLevelPixels> pixels;  // top-level windows only
  HDC ownDC = nullptr;                     // CS_OWNDC

  ~Window();
};

// A handle never handed out before.
HWND NewWindowHandle();
// Null when the handle does not name a live window.
Window* FindWindowObject(HWND handle);
Window& AddWindowObject(std::unique_ptr<Window> window);
void RemoveWindowObject(HWND handle);
// Live windows in creation order.
std::vector<HWND> AllWindowHandles();
// The live windows that `keep` accepts, in creation order, into `handles`, whose capacity is
// reused: nothing is allocated once it fits. `keep` runs under the table's lock, so a look
// on every tick takes it once, whatever the number of windows; it must not look up windows.
using WindowTest = bool (*)(const Window& window, const void* context);
void CollectWindowHandles(std::vector<HWND>& handles, WindowTest keep, const void* context);

// The top-level window that holds this window's pixels.
Window* TopLevelOf(Window& window);
bool IsDescendant(HWND window, HWND ancestor);  // true when window == ancestor too
// Visible with every ancestor visible.
bool IsShown(const Window& window);

}  // namespace plk::user32
