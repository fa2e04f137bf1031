// Implements: CreateWindowExA (WM_NCCREATE and WM_CREATE sent before it returns, null when
// either refuses; children get WM_SIZE/WM_MOVE at once, overlapped windows at their first
// ShowWindow; a top-level window with a parent is owned by that parent's top-level window
// and its host window stays above the owner's; a top-level window gets its host window and
// its class's icon), DestroyWindow (owned windows first, then WM_DESTROY to the window, then
// its children, then WM_NCDESTROY; timers, queued messages and DC bindings dropped; an owner
// takes over the activation of the owned window it destroys).
// Does not implement: z-order among siblings, WS_EX_* styles other than WS_EX_ACCEPTFILES,
// WM_PARENTNOTIFY, maximised state beyond asking the host.
#include "user32/dc.h"
#include "user32/focus.h"
#include "user32/host/host.h"
#include "user32/message_queue.h"
#include "user32/paint.h"
#include "user32/resource_lookup.h"
#include "user32/window.h"
#include "user32/window_class.h"
#include "user32/window_enable.h"
#include "user32/window_geometry.h"
#include "user32/window_pixels.h"
#include "user32/window_rects.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

namespace plk::user32 {
namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

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

void Unlink(Window& window) {
  if (Window* parent = FindWindowObject(window.parent)) {
    std::erase(parent->children, window.handle);
  }
}

}  // namespace
}  // namespace plk::user32

using namespace plk::user32;

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  if (!className || IS_INTRESOURCE(className)) return nullptr;
  std::shared_ptr<WindowClass> windowClass = FindWindowClass(className);
  if (!windowClass) return nullptr;
  const bool child = (style & WS_CHILD) != 0;
  Window* parentWindow = FindWindowObject(parent);
  if (child && !parentWindow) return nullptr;

  auto created = std::make_unique<Window>();
  created->handle = NewWindowHandle();
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
