// The whole factor by which a backend shows windows larger on a high-DPI screen, chosen
// from what the desktop says, and the mapping between window pixels and host pixels.
// Plain rules over plain values, so that they are tested without a display.
#pragma once

#include <windows.h>

#include <string>

namespace plk::user32 {

// What the desktop says, each null when it says nothing.
struct ScaleSources {
  const char* plinkaroScale = nullptr;  // PLINKARO_SCALE
  const char* gdkScale = nullptr;       // GDK_SCALE
  const char* xftDpi = nullptr;         // the X resource Xft.dpi
  SIZE usable = {0, 0};                 // the screen's usable area; 0 when unknown
};

// PLINKARO_SCALE when set (a positive whole number; anything else gives 1 and a one-line
// `warning`), else GDK_SCALE (when a positive whole number), else Xft.dpi / 96 rounded
// down, else 1; then lowered until a window of `window` pixels, scaled, fits the usable
// area.
int ChooseHostScale(const ScaleSources& sources, SIZE window, std::string& warning);

// A window-pixel rectangle in host pixels: each window pixel is a factor x factor block.
RECT ScaleUp(const RECT& rect, int factor);
// A host pixel's window pixel: the block it falls in (rounding down, left of and above
// the window too).
POINT ScaleDown(POINT point, int factor);

}  // namespace plk::user32
