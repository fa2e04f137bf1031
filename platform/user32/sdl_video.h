// The SDL side of windows: starting the video subsystem, host windows, presenting
// pixels, icons. Everything else in user32 works without a video device.
#pragma once

#include <windows.h>

#include "gdi32/window_surface.h"

struct SDL_Window;

namespace plk::user32 {

// Starts SDL's event subsystem (for waiting and cross-thread wake-ups).
bool EnsureSdlEvents();
// Starts SDL video once; false (after one line on stderr) when no video device works.
bool EnsureSdlVideo();
bool SdlVideoActive();
// SDL delivers host events only to the thread that started video.
bool OnVideoThread();
// True for SDL's dummy and offscreen drivers: nothing can be seen or clicked.
bool SdlVideoHeadless();

// A hidden, resizable host window of `width` x `height` pixels at screen (x, y).
SDL_Window* CreateHostWindow(const char* title, int x, int y, int width, int height, HWND owner);
void DestroyHostWindow(SDL_Window* host);
HWND WindowOfHost(unsigned int sdlWindowId);
void PresentToHost(SDL_Window* host, const plk::gdi::PixelSurface& surface);
void SetHostIcon(SDL_Window* host, HICON icon);

}  // namespace plk::user32
