// Implements: the window objects behind HWNDs and their table (handles are never reused,
// so a stale handle fails IsWindow), the window tree (parents, owners, descendants, shown
// with every ancestor), IsWindow, GetParent, Get/SetWindowLong(Ptr)A (styles, user data,
// the procedure, the control id), SetWindowTextA/GetWindowTextA (through WM_SETTEXT and
// WM_GETTEXT).
// Does not implement: window extra bytes, GWLP_HINSTANCE/GWLP_HWNDPARENT, window
// properties, WM_STYLECHANGED.
#include "user32/window.h"

#include "user32/window_pixels.h"

#include <algorithm>
#include <mutex>

namespace plk::user32 {
namespace {

constexpr int kGwlWndProc = -4;
constexpr int kGwlId = -12;

std::uintptr_t Key(HWND handle) { return reinterpret_cast<std::uintptr_t>(handle); }

struct WindowTable {
  std::mutex mutex;  // PostMessageA looks windows up from other threads
  // Sorted by handle, which grows with creation: a walk on every tick reads one array.
  std::vector<std::unique_ptr<Window>> windows;
  std::uintptr_t nextHandle = 0x10010;

  std::vector<std::unique_ptr<Window>>::iterator Find(HWND handle) {
    auto found = std::lower_bound(windows.begin(), windows.end(), handle,
                                  [](const std::unique_ptr<Window>& window, HWND key) {
                                    return Key(window->handle) < Key(key);
                                  });
    return found != windows.end() && (*found)->handle == handle ? found : windows.end();
  }
};

WindowTable& Table() {
  // Never destroyed: windows still open at exit (after an X I/O error, say, when the
  // display is gone) must not call into the host from static destructors, which would wait
  // forever on the dead connection. The process's exit frees them.
  static WindowTable& table = *new WindowTable;
  return table;
}

}  // namespace

HWND NewWindowHandle() {
  WindowTable& table = Table();
  std::lock_guard lock(table.mutex);
  const std::uintptr_t value = table.nextHandle;
  table.nextHandle += 4;
  return reinterpret_cast<HWND>(value);
}

Window::~Window() = default;

Window* FindWindowObject(HWND handle) {
  if (!handle) return nullptr;
  WindowTable& table = Table();
  std::lock_guard lock(table.mutex);
  auto found = table.Find(handle);
  return found == table.windows.end() ? nullptr : found->get();
}

Window& AddWindowObject(std::unique_ptr<Window> window) {
  WindowTable& table = Table();
  std::lock_guard lock(table.mutex);
  Window& added = *window;
  // At the end, unless another thread took an earlier handle and adds it later.
  const auto place = std::upper_bound(table.windows.begin(), table.windows.end(), Key(added.handle),
                                      [](std::uintptr_t key, const std::unique_ptr<Window>& each) {
                                        return key < Key(each->handle);
                                      });
  table.windows.insert(place, std::move(window));
  return added;
}

void RemoveWindowObject(HWND handle) {
  std::unique_ptr<Window> removed;
  WindowTable& table = Table();
  {
    std::lock_guard lock(table.mutex);
    auto found = table.Find(handle);
    if (found == table.windows.end()) return;
    removed = std::move(*found);
    table.windows.erase(found);
  }
  // Destroyed outside the lock: the host window goes with it.
}

void CollectWindowHandles(std::vector<HWND>& handles, WindowTest keep, const void* context) {
  WindowTable& table = Table();
  std::lock_guard lock(table.mutex);
  handles.clear();
  for (const auto& window : table.windows) {
    if (!keep || keep(*window, context)) handles.push_back(window->handle);
  }
}

std::vector<HWND> AllWindowHandles() {
  std::vector<HWND> handles;
  CollectWindowHandles(handles, nullptr, nullptr);
  return handles;
}

Window* TopLevelOf(Window& window) {
  Window* current = &window;
  while (Window* parent = FindWindowObject(current->parent)) current = parent;
  return current;
}

bool IsDescendant(HWND handle, HWND ancestor) {
  for (Window* window = FindWindowObject(handle); window;
       window = FindWindowObject(window->parent)) {
    if (window->handle == ancestor) return true;
  }
  return false;
}

bool IsShown(const Window& window) {
  for (const Window* current = &window; current; current = FindWindowObject(current->parent)) {
    if (!(current->style & WS_VISIBLE)) return false;
  }
  return true;
}

}  // namespace plk::user32

using namespace plk::user32;

BOOL IsWindow(HWND handle) { return FindWindowObject(handle) ? TRUE : FALSE; }

HWND GetParent(HWND handle) {
  Window* window = FindWindowObject(handle);
  return window ? window->parent : nullptr;
}

LONG_PTR GetWindowLongPtrA(HWND handle, int index) {
  Window* window = FindWindowObject(handle);
  if (!window) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG>(window->style);
    case GWL_EXSTYLE: return static_cast<LONG>(window->exStyle);
    case GWLP_USERDATA: return window->userData;
    case kGwlWndProc: return reinterpret_cast<LONG_PTR>(window->procedure);
    case kGwlId: return window->id;
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
  Window* window = FindWindowObject(handle);
  if (!window) return 0;
  const LONG_PTR previous = GetWindowLongPtrA(handle, index);
  switch (index) {
    // Like Windows, a new style takes effect without any repainting: a child made
    // visible this way shows up at its next paint.
    case GWL_STYLE: window->style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: window->exStyle = static_cast<DWORD>(value); break;
    case GWLP_USERDATA: window->userData = value; break;
    case kGwlWndProc: window->procedure = reinterpret_cast<WNDPROC>(value); break;
    case kGwlId: window->id = value; break;
    default: return 0;
  }
  return previous;
}

LONG GetWindowLongA(HWND handle, int index) {
  return static_cast<LONG>(GetWindowLongPtrA(handle, index));
}

LONG SetWindowLongA(HWND handle, int index, LONG value) {
  // Styles are 32-bit masks that a LONG carries sign-extended; keep the bits as they are.
  const LONG_PTR wide = (index == GWL_STYLE || index == GWL_EXSTYLE)
                            ? static_cast<LONG_PTR>(static_cast<DWORD>(value))
                            : value;
  return static_cast<LONG>(SetWindowLongPtrA(handle, index, wide));
}

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
  if (!IsWindow(handle)) return FALSE;
  return SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE
                                                                                         : FALSE;
}

int GetWindowTextA(HWND handle, LPSTR text, int maxCount) {
  if (!IsWindow(handle) || !text || maxCount <= 0) return 0;
  return static_cast<int>(SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                       reinterpret_cast<LPARAM>(text)));
}
