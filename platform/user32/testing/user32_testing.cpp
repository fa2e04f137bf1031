// Implements: the user32 test seams declared in user32_testing.h (input injection,
// stepped loop, pixels, reset); timers in manual_clock.cpp, message boxes in their file.
#include "user32/testing/user32_testing.h"

#include "user32/drop_block.h"
#include "user32/host_events.h"
#include "user32/input_routing.h"
#include "user32/key_state.h"
#include "user32/keyboard.h"
#include "user32/keyboard_map.h"
#include "user32/message_queue.h"
#include "user32/messages.h"
#include "user32/mouse_capture.h"
#include "user32/non_client.h"
#include "user32/paint.h"
#include "user32/window.h"
#include "user32/window_pixels.h"
#include "user32/window_rects.h"

#include <bitset>

namespace plk::user32::testing {
namespace {

std::bitset<256>& InjectedDown() {
  thread_local std::bitset<256> down;
  return down;
}

void PostInputTo(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Window* window = FindWindowObject(handle)) {
    window->queue->PostInput(MSG{handle, message, wParam, lParam, 0, {}});
  }
}

int GenericKey(int virtualKey) {
  switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return virtualKey;
  }
}

}  // namespace

bool InjectKey(int virtualKey, bool down, bool repeat) {
  const HWND focus = GetFocus();
  if (!focus || virtualKey <= 0 || virtualKey > 255) return false;
  const KeyCode key =
      FindVirtualKey(ActiveKeyboardLayout(), virtualKey).value_or(KeyCode{virtualKey, 0, false});
  const int generic = GenericKey(virtualKey);
  InjectedDown()[static_cast<std::size_t>(generic)] = down;
  const bool alt = InjectedDown()[VK_MENU];
  const bool control = InjectedDown()[VK_CONTROL];
  const bool system = (alt && !control) || generic == VK_F10;
  LPARAM lParam = KeyMessageLParam(key, down, repeat);
  if (alt && !control) lParam |= 1 << 29;
  const UINT message =
      system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  QueueInput(TopLevelOf(*FindWindowObject(focus))->handle, InputRoute::kFocus, message,
             static_cast<WPARAM>(generic), lParam);
  return true;
}

void InjectMouseButton(HWND handle, int x, int y, bool down) {
  Window* window = FindWindowObject(handle);
  if (!window) return;
  Window* top = TopLevelOf(*window);
  const POINT origin = ClientOriginOnScreen(*window);
  const POINT topOrigin = ClientOriginOnScreen(*top);
  QueueInput(top->handle, InputRoute::kPointer, down ? WM_LBUTTONDOWN : WM_LBUTTONUP,
             down ? MK_LBUTTON : 0,
             MAKELPARAM(x + origin.x - topOrigin.x, y + origin.y - topOrigin.y));
}

void InjectClick(HWND window, int x, int y) {
  InjectMouseButton(window, x, y, true);
  InjectMouseButton(window, x, y, false);
}

void InjectWheel(HWND handle, int delta) {
  Window* window = FindWindowObject(handle);
  if (!window) return;
  const POINT origin = ClientOriginOnScreen(*window);
  PostInputTo(handle, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<SHORT>(delta))),
              MAKELPARAM(origin.x, origin.y));
}

void InjectScrollBarMouse(HWND handle, int y, ScrollBarMouse action) {
  Window* window = FindWindowObject(handle);
  if (!window) return;
  const POINT origin = ClientOriginOnScreen(*window);
  const LPARAM point =
      MAKELPARAM(origin.x + ClientSize(*window).cx + kScrollBarWidth / 2, origin.y + y);
  const UINT message = action == ScrollBarMouse::Press  ? kWmNcLButtonDown
                       : action == ScrollBarMouse::Drag ? kWmNcMouseMove
                                                        : kWmNcLButtonUp;
  PostInputTo(handle, message, kHtVScroll, point);
}

bool InjectDrop(HWND handle, std::vector<std::string> files) {
  Window* window = FindWindowObject(handle);
  if (!window || !(window->exStyle & WS_EX_ACCEPTFILES)) return false;
  const HDROP drop = BuildDropBlock(files, POINT{0, 0});
  PostInputTo(handle, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  return true;
}

int RunUntilIdle(HWND dialog) {
  MessageQueue& queue = CurrentQueue();
  int dispatched = 0;
  for (;;) {
    PumpHostEvents();
    MSG message{};
    if (queue.TakeQueued(message, nullptr, 0, 0, false)) {
      if (message.message == WM_QUIT) break;
      queue.TakeQueued(message, nullptr, 0, 0, true);
      UpdateInputStateFor(message);
      ++dispatched;
      if (dialog && GetFocus() != dialog && IsDialogMessageA(dialog, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    if (!TakePaintMessage(message, nullptr, 0, 0)) break;
    DispatchMessageA(&message);
    ++dispatched;
    // A procedure that never validates would make Windows repaint forever; stop instead.
    Window* painted = FindWindowObject(message.hwnd);
    if (painted && !painted->update.Empty()) painted->update.Clear();
  }
  PresentChangedWindows();
  return dispatched;
}

plk::gdi::PixelSurface ClientPixels(HWND handle) {
  Window* window = FindWindowObject(handle);
  if (!window) return {};
  Window* top = TopLevelOf(*window);
  if (!top->pixels) return {};
  plk::gdi::PixelSurface surface = top->pixels->Surface();
  const POINT origin = ClientOriginOnSurface(*window);
  const SIZE size = ClientSize(*window);
  surface.pixels += static_cast<std::ptrdiff_t>(origin.y) * surface.stride + origin.x;
  surface.width = size.cx;
  surface.height = size.cy;
  return surface;
}

std::uint32_t PixelAt(HWND window, int x, int y) {
  const plk::gdi::PixelSurface surface = ClientPixels(window);
  if (!surface.pixels || x < 0 || y < 0 || x >= surface.width || y >= surface.height) return 0;
  return surface.pixels[static_cast<std::ptrdiff_t>(y) * surface.stride + x];
}

plk::gdi::PixelSurface WindowPixels(HWND handle) {
  Window* window = FindWindowObject(handle);
  return window && window->pixels ? window->pixels->Surface() : plk::gdi::PixelSurface{};
}

void ResetWindows() {
  for (HWND handle : AllWindowHandles()) {
    Window* window = FindWindowObject(handle);
    if (window && !window->parent) DestroyWindow(handle);
  }
  MessageQueue& queue = CurrentQueue();
  MSG message{};
  while (queue.TakeQueued(message, nullptr, 0, 0, true)) {
  }
  for (const WindowTimer& timer : queue.TimersOf(nullptr)) queue.KillTimer(nullptr, timer.id);
  SetFocus(nullptr);
  SetMouseCapture(nullptr);
  ResetKeyState();
  InjectedDown().reset();
}

}  // namespace plk::user32::testing
