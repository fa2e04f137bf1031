// Implements: the handle table (handles are never reused, so a stale handle fails
// IsWindow), CreateWindowExA (WM_NCCREATE and WM_CREATE sent before it returns, null when
// either refuses; children get WM_SIZE/WM_MOVE at once, overlapped windows at their first
// ShowWindow; a top-level window with a parent is owned by that parent's top-level window
// and its host window stays above the owner's), DestroyWindow (owned windows first, then
// WM_DESTROY to the window, then its children; timers, queued messages and DC bindings
// dropped; an owner takes over the activation of the owned window it destroys),
// ShowWindow (minimising and restoring included; SW_SHOWNA and SW_SHOWNOACTIVATE leave the
// activation alone), IsWindow, IsWindowVisible, GetParent,
// Get/SetWindowLong(Ptr)A, SetWindowTextA/GetWindowTextA.
// Does not implement: z-order among siblings, WM_STYLECHANGED, WS_EX_* styles other than
// WS_EX_ACCEPTFILES, window properties, maximised state beyond asking the host.
#include "user32/window.h"

#include "user32/button_control.h"
#include "user32/edit_control.h"
#include "user32/focus.h"
#include "user32/message_queue.h"
#include "user32/non_client.h"
#include "user32/paint.h"
#include "user32/dc.h"
#include "user32/host/host.h"
#include "user32/resource_lookup.h"
#include "user32/window_geometry.h"
#include "user32/window_pixels.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

namespace plk::user32 {
namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kGwlWndProc = -4;
constexpr int kGwlId = -12;

struct WindowTable {
  std::mutex mutex;  // PostMessageA looks windows up from other threads
  std::map<std::uintptr_t, std::unique_ptr<Window>> windows;  // keys grow with creation
  std::uintptr_t nextHandle = 0x10010;
};

WindowTable& Table() {
  // Never destroyed: windows still open at exit (after an X I/O error, say, when the
  // display is gone) must not call into the host from static destructors, which would wait
  // forever on the dead connection. The process's exit frees them.
  static WindowTable& table = *new WindowTable;
  return table;
}

HWND NewHandle() {
  WindowTable& table = Table();
  std::lock_guard lock(table.mutex);
  const std::uintptr_t value = table.nextHandle;
  table.nextHandle += 4;
  return reinterpret_cast<HWND>(value);
}

// Starts video for the first window, saying on stderr (once) when windows will stay
// invisible.
bool EnsureHostVideo() {
  static bool told = false;
  std::string failure;
  if (StartHostVideo(failure)) return true;
  if (!told) std::fprintf(stderr, "plinkaro: %s; windows stay invisible\n", failure.c_str());
  told = true;
  return false;
}

// Where an overlapped window goes when the program leaves it to the system: centred on
// the first display, or at a fixed spot when there is none.
POINT DefaultPosition(int width, int height) {
  const std::optional<RECT> screen = HostScreenBounds();
  if (screen && screen->right > screen->left) {
    return {screen->left + std::max(0, (screen->right - screen->left - width) / 2),
            screen->top + std::max(0, (screen->bottom - screen->top - height) / 2)};
  }
  return {64, 64};
}

RECT InitialRect(int x, int y, int width, int height, bool child) {
  if (child) {
    x = x == CW_USEDEFAULT ? 0 : x;
    y = y == CW_USEDEFAULT ? 0 : y;
    width = width == CW_USEDEFAULT ? 0 : std::max(width, 0);
    height = height == CW_USEDEFAULT ? 0 : std::max(height, 0);
    return {x, y, x + width, y + height};
  }
  if (width == CW_USEDEFAULT) {
    width = kDefaultWidth;
    height = kDefaultHeight;
  }
  width = std::max(width, 0);
  height = std::max(height, 0);
  // The first top-level window decides how large the host shows every window.
  if (EnsureHostVideo()) SettleHostScale({width, height});
  if (x == CW_USEDEFAULT) {
    const POINT position = DefaultPosition(width, height);
    x = position.x;
    y = position.y;
  }
  return {x, y, x + width, y + height};
}

void AttachHost(Window& window, const char* title) {
  const SIZE size = PixelSize(window);
  window.pixels = std::make_unique<TopLevelPixels>(size.cx, size.cy);
  const RECT area = ClientAreaInWindow(window);
  const RECT client = {window.rect.left + area.left, window.rect.top + area.top,
                       window.rect.left + area.left + size.cx,
                       window.rect.top + area.top + size.cy};
  Window* owner = FindWindowObject(window.owner);
  if (!EnsureHostVideo()) return;
  const HostWindowKind kind = window.windowClass && window.windowClass->popupMenu
                                  ? HostWindowKind::kPopupMenu
                              : (window.style & WS_THICKFRAME) ? HostWindowKind::kResizable
                                                               : HostWindowKind::kFixed;
  window.pixels->host = CreateHostWindow(title, client, window.handle, kind,
                                         owner && owner->pixels ? owner->pixels->host : nullptr);
  const EmbeddedResource* icon =
      window.windowClass ? IconResource(window.windowClass->icon) : nullptr;
  if (icon) SetHostWindowIcon(window.pixels->host, {icon->bytes, icon->size});
}

void DestroyOwnedWindows(HWND owner) {
  for (HWND handle : AllWindowHandles()) {
    Window* window = FindWindowObject(handle);
    if (window && window->owner == owner) DestroyWindow(handle);
  }
}

// Minimising, restoring and maximising, asked of the host and told to the window.
void ApplyShowCommand(Window& window, int command) {
  HostWindow* host = window.pixels ? window.pixels->host : nullptr;
  const HWND handle = window.handle;
  if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
    SetHostWindowState(host, HostWindowState::Minimized);
    SetMinimized(handle, true);
  } else if (command == SW_SHOWMAXIMIZED) {
    SetHostWindowState(host, HostWindowState::Maximized);
  } else if (window.minimized &&
             (command == SW_RESTORE || command == SW_SHOWNORMAL || command == SW_SHOWDEFAULT)) {
    SetHostWindowState(host, HostWindowState::Normal);
    SetMinimized(handle, false);
  }
}

void SendSizeAndMove(HWND handle) {
  SendSizeMessage(handle);
  Window* window = FindWindowObject(handle);
  if (!window) return;
  const RECT area = ClientAreaInWindow(*window);
  SendMessageA(handle, WM_MOVE, 0,
               MAKELPARAM(window->rect.left + area.left, window->rect.top + area.top));
}

void Unlink(Window& window) {
  if (Window* parent = FindWindowObject(window.parent)) {
    std::erase(parent->children, window.handle);
  }
}

}  // namespace

Window::~Window() = default;

Window* FindWindowObject(HWND handle) {
  if (!handle) return nullptr;
  WindowTable& table = Table();
  std::lock_guard lock(table.mutex);
  auto found = table.windows.find(reinterpret_cast<std::uintptr_t>(handle));
  return found == table.windows.end() ? nullptr : found->second.get();
}

Window& AddWindowObject(std::unique_ptr<Window> window) {
  WindowTable& table = Table();
  std::lock_guard lock(table.mutex);
  Window& added = *window;
  table.windows[reinterpret_cast<std::uintptr_t>(window->handle)] = std::move(window);
  return added;
}

void RemoveWindowObject(HWND handle) {
  std::unique_ptr<Window> removed;
  WindowTable& table = Table();
  {
    std::lock_guard lock(table.mutex);
    auto found = table.windows.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == table.windows.end()) return;
    removed = std::move(found->second);
    table.windows.erase(found);
  }
  // Destroyed outside the lock: the host window goes with it.
}

void CollectWindowHandles(std::vector<HWND>& handles) {
  WindowTable& table = Table();
  std::lock_guard lock(table.mutex);
  handles.clear();
  for (const auto& [key, window] : table.windows) handles.push_back(window->handle);
}

std::vector<HWND> AllWindowHandles() {
  std::vector<HWND> handles;
  CollectWindowHandles(handles);
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

HWND ChildWindowAt(HWND handle, POINT& point) {
  Window* window = FindWindowObject(handle);
  if (!window) return handle;
  // Later children lie above earlier ones.
  for (auto child = window->children.rbegin(); child != window->children.rend(); ++child) {
    Window* candidate = FindWindowObject(*child);
    if (!candidate || !IsShown(*candidate)) continue;
    const RECT& rect = candidate->rect;
    if (point.x < rect.left || point.x >= rect.right || point.y < rect.top ||
        point.y >= rect.bottom) {
      continue;
    }
    const RECT area = ClientAreaInWindow(*candidate);
    point.x -= rect.left + area.left;
    point.y -= rect.top + area.top;
    return ChildWindowAt(*child, point);
  }
  return handle;
}

}  // namespace plk::user32

using namespace plk::user32;

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  if (!className || IS_INTRESOURCE(className)) return nullptr;
  RegisterEditClass();  // the system's classes exist before any window is made
  RegisterButtonClass();
  std::shared_ptr<WindowClass> windowClass = FindWindowClass(className);
  if (!windowClass) return nullptr;
  const bool child = (style & WS_CHILD) != 0;
  Window* parentWindow = FindWindowObject(parent);
  if (child && !parentWindow) return nullptr;

  auto created = std::make_unique<Window>();
  created->handle = NewHandle();
  created->windowClass = windowClass;
  created->procedure = windowClass->procedure;
  created->style = style & ~static_cast<DWORD>(WS_VISIBLE);  // shown after WM_CREATE
  created->exStyle = exStyle;
  created->parent = child ? parent : nullptr;
  created->owner = !child && parentWindow ? TopLevelOf(*parentWindow)->handle : nullptr;
  created->rect = InitialRect(x, y, width, height, child);
  created->text = windowName ? windowName : "";
  created->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
  created->instance = instance;
  created->needsSizeMessage = !child;
  created->queue = CurrentQueueShared();
  const HWND handle = created->handle;
  Window& window = AddWindowObject(std::move(created));
  if (child) parentWindow->children.push_back(handle);
  if (!child) AttachHost(window, windowName);

  CREATESTRUCTA creation = {param,     instance, menu, child ? parent : nullptr, height,
                            width,     y,        x,    static_cast<LONG>(style), windowName,
                            className, exStyle};
  const auto creationParam = reinterpret_cast<LPARAM>(&creation);
  if (!SendMessageA(handle, WM_NCCREATE, 0, creationParam) ||
      SendMessageA(handle, WM_CREATE, 0, creationParam) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;
  if (child) SendSizeAndMove(handle);
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND handle) {
  Window* window = FindWindowObject(handle);
  if (!window || window->destroying) return FALSE;
  window->destroying = true;
  DestroyOwnedWindows(handle);
  if (!(window = FindWindowObject(handle))) return TRUE;
  const HWND owner = window->owner;
  const bool wasActive = GetFocus() && IsDescendant(GetFocus(), handle);
  ReleaseFocusFrom(handle);
  if (window->pixels) ShowHostWindow(window->pixels->host, false);
  if (window->parent && IsShown(*window)) {
    if (Window* parent = FindWindowObject(window->parent)) {
      InvalidateWindowRegion(*parent, Region(window->rect), true);
    }
  }

  SendMessageA(handle, WM_DESTROY, 0, 0);
  window = FindWindowObject(handle);
  if (!window) return TRUE;
  const std::vector<HWND> children = window->children;
  for (HWND childHandle : children) DestroyWindow(childHandle);
  SendMessageA(handle, WM_NCDESTROY, 0, 0);

  window = FindWindowObject(handle);
  if (!window) return TRUE;
  window->queue->KillTimersOf(handle);
  window->queue->RemoveMessagesFor(handle);
  ForgetWindowDCs(handle);
  Unlink(*window);
  RemoveWindowObject(handle);
  if (wasActive && owner && AcceptsInput(owner)) {
    ActivateWindow(owner);
    if (Window* next = FindWindowObject(owner); next && next->pixels) {
      RaiseHostWindow(next->pixels->host);
    }
  }
  return TRUE;
}

BOOL IsWindow(HWND handle) { return FindWindowObject(handle) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND handle) {
  Window* window = FindWindowObject(handle);
  return window && IsShown(*window) ? TRUE : FALSE;
}

HWND GetParent(HWND handle) {
  Window* window = FindWindowObject(handle);
  return window ? window->parent : nullptr;
}

BOOL ShowWindow(HWND handle, int command) {
  Window* window = FindWindowObject(handle);
  if (!window) return FALSE;
  const BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
  const bool show = command != SW_HIDE;
  if (show == static_cast<bool>(wasVisible) && !window->needsSizeMessage) {
    ApplyShowCommand(*window, command);
    return wasVisible;
  }
  SendMessageA(handle, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (!(window = FindWindowObject(handle))) return wasVisible;

  if (!show) {
    if (window->parent)
      InvalidateWindowRegion(*FindWindowObject(window->parent), Region(window->rect), true);
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (window->pixels) ShowHostWindow(window->pixels->host, false);
    ReleaseFocusFrom(handle);
    return wasVisible;
  }
  window->style |= WS_VISIBLE;
  if (window->pixels) ShowHostWindow(window->pixels->host, true);
  if (window->needsSizeMessage) {
    window->needsSizeMessage = false;
    SendSizeAndMove(handle);
    if (!(window = FindWindowObject(handle))) return wasVisible;
  }
  InvalidateWindowRegion(*window, Region(ClientRect(*window)), true);
  DrawNonClient(*window);
  const bool activates = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
  if (!window->parent && activates) ActivateWindow(handle);
  if ((window = FindWindowObject(handle))) ApplyShowCommand(*window, command);
  return wasVisible;
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
