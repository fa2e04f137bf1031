// What the SDL backend's files share: the host window behind each SDL window, and the
// physical keys SDL names by USB usage turned into PC scan codes.
#pragma once

#include <windows.h>

#include <SDL.h>

namespace plk::user32 {

struct HostWindow {
  SDL_Window* sdl = nullptr;
  HWND window = nullptr;  // null once released
  // The window's pixels as SDL sees them, kept while they stay where they are.
  SDL_Surface* source = nullptr;
  // The window surface's memory that was last made present before its first fill.
  void* preparedTarget = nullptr;
  bool popupMenu = false;
};

// The host window of an SDL window id; null for none.
HostWindow* HostWindowOfId(Uint32 id);

struct ScanCode {
  int code = 0;  // 0: no PC key
  bool extended = false;
};
ScanCode ScanCodeOf(SDL_Scancode key);

// Shows a popup menu's window and leaves the keyboard focus where it was: without a
// window manager SDL gives every window it shows the focus.
void ShowWithoutFocus(SDL_Window* window);

// Starts SDL's event subsystem (for waiting and cross-thread wake-ups).
bool EnsureSdlEvents();

// The whole factor by which SDL windows show the pixels of their host windows (1 until
// SettleHostScale): SDL's positions and sizes are this many times the window pixels'.
int HostScale();

}  // namespace plk::user32
