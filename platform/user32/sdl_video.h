// The SDL side of windows: starting the video subsystem, host windows, presenting
// pixels, icons. Everything else in user32 works without a video device.
#pragma once

#include <windows.h>

#include "gdi32/window_surface.h"

#include <string>

struct SDL_Window;

namespace plk::user32 {

// Starts SDL's event subsystem (for waiting and cross-thread wake-ups).
bool EnsureSdlEvents();
// Starts SDL video once; false when no video device works, with the reason in `failure`.
// Without SDL_VIDEODRIVER only a real display is tried (X11 at DISPLAY, Wayland at
// WAYLAND_DISPLAY): SDL would otherwise fall back to a headless driver unasked.
bool StartSdlVideo(std::string& failure);
// The same, saying on stderr (once) when windows will stay invisible.
bool EnsureSdlVideo();
bool SdlVideoActive();
// SDL delivers host events only to the thread that started video.
bool OnVideoThread();
// True for SDL's dummy and offscreen drivers: nothing can be seen or clicked.
bool SdlVideoHeadless();

// A hidden host window for top-level `window` whose pixels cover `client` on the screen,
// kept above `ownerHost` (when given) by the window manager.
SDL_Window* CreateHostWindow(const char* title, const RECT& client, HWND window, bool resizable,
                             SDL_Window* ownerHost);
// Brings the host window to the front with the keyboard focus.
void RaiseHostWindow(SDL_Window* host);
// Hides the host window and keeps it for the next CreateHostWindow.
void DestroyHostWindow(SDL_Window* host);
HWND WindowOfHost(unsigned int sdlWindowId);
void PresentToHost(SDL_Window* host, const plk::gdi::PixelSurface& surface);
void SetHostIcon(SDL_Window* host, HICON icon);

}  // namespace plk::user32
