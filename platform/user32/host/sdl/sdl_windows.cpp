// Implements: host windows as SDL windows tagged with their HWND (hidden at first,
// resizable, fixed or popup menus, owned ones kept above their owner, reused rather than
// destroyed),
// showing, hiding, minimising, maximising, restoring, placing, titles, icons from BMP
// bytes, raising with the keyboard focus, and presentation of 0x00RRGGBB pixels through
// the window surface, area by area, each window pixel a block of the presentation scale
// (nearest neighbour); the X11 window id that desktop portals take as a dialog's parent.
// Each present tells the rest of the platform that the program's first frame is shown.
// Does not implement: destroying SDL windows (the process exit does), OpenGL or
// textures, fractional scales.
#include "first_frame.h"
#include "user32/fresh_pages.h"
#include "user32/host/host.h"
#include "user32/host/host_scale.h"
#include "user32/host/sdl/host_wait.h"
#include "user32/host/sdl/sdl_host.h"
#include "user32/trace.h"

#include <SDL_syswm.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace plk::user32 {
namespace {

constexpr const char* kHostKey = "plk.host";

// Host windows are hidden and kept for the next top-level window, never destroyed while
// the program runs: SDL 2.26 may still be sending a wake-up event to a host window from
// its second X connection, and X kills the program for an event sent to a window that is
// gone (a message box closing while the thread waits). Popup menus keep spares of their
// own: SDL fixes a window's kind when it makes it.
std::vector<HostWindow*>& SpareWindows(bool popupMenu) {
  static std::vector<HostWindow*> spares[2];
  return spares[popupMenu ? 1 : 0];
}

HostWindow* NewHostWindow(const char* title, const RECT& client, int width, int height,
                          HostWindowKind kind) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (kind == HostWindowKind::kResizable) flags |= SDL_WINDOW_RESIZABLE;
  // On X11 a popup menu is override-redirect: no window manager frames, places or
  // focuses it.
  if (kind == HostWindowKind::kPopupMenu) {
    flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP;
  }
  SDL_Window* sdl = SDL_CreateWindow(title, client.left, client.top, width, height, flags);
  if (!sdl) {
    std::fprintf(stderr, "plinkaro: cannot create a window: %s\n", SDL_GetError());
    return nullptr;
  }
  WatchHostConnection(sdl);
  auto* host = new HostWindow{sdl};
  host->popupMenu = kind == HostWindowKind::kPopupMenu;
  SDL_SetWindowData(sdl, kHostKey, host);
  return host;
}

}  // namespace

HostWindow* HostWindowOfId(Uint32 id) {
  SDL_Window* sdl = SDL_GetWindowFromID(id);
  return sdl ? static_cast<HostWindow*>(SDL_GetWindowData(sdl, kHostKey)) : nullptr;
}

HostWindow* CreateHostWindow(const char* title, const RECT& pixels, HWND window,
                             HostWindowKind kind, HostWindow* owner) {
  if (!HostVideoActive()) return nullptr;
  const RECT client = ScaleUp(pixels, HostScale());
  const int width = std::max<int>(client.right - client.left, HostScale());
  const int height = std::max<int>(client.bottom - client.top, HostScale());
  const char* text = title ? title : "";
  const bool popupMenu = kind == HostWindowKind::kPopupMenu;
  std::vector<HostWindow*>& spares = SpareWindows(popupMenu);
  HostWindow* host = nullptr;
  if (!spares.empty()) {
    host = spares.back();
    spares.pop_back();
    SDL_SetWindowTitle(host->sdl, text);
    SDL_SetWindowSize(host->sdl, width, height);
    SDL_SetWindowPosition(host->sdl, client.left, client.top);
    if (!popupMenu) {
      SDL_SetWindowResizable(host->sdl, kind == HostWindowKind::kResizable ? SDL_TRUE : SDL_FALSE);
    }
  } else if (!(host = NewHostWindow(text, client, width, height, kind))) {
    return nullptr;
  }
  host->window = window;
  if (owner && !popupMenu) SDL_SetWindowModalFor(host->sdl, owner->sdl);
  return host;
}

void PrepareHostWindow(HostWindowKind kind) {
  const bool popupMenu = kind == HostWindowKind::kPopupMenu;
  if (!HostVideoActive() || !SpareWindows(popupMenu).empty()) return;
  const int size = HostScale();
  if (HostWindow* host = NewHostWindow("", {0, 0, size, size}, size, size, kind)) {
    SpareWindows(popupMenu).push_back(host);
  }
}

void ReleaseHostWindow(HostWindow* host) {
  if (!host) return;
  SDL_HideWindow(host->sdl);
  host->window = nullptr;
  SpareWindows(host->popupMenu).push_back(host);
}

void ShowHostWindow(HostWindow* host, bool show) {
  if (!host || HostConnectionLost()) return;
  if (show && host->popupMenu) {
    ShowWithoutFocus(host->sdl);
  } else if (show) {
    SDL_ShowWindow(host->sdl);
  } else {
    SDL_HideWindow(host->sdl);
  }
}

void SetHostWindowState(HostWindow* host, HostWindowState state) {
  if (!host) return;
  switch (state) {
    case HostWindowState::Normal: SDL_RestoreWindow(host->sdl); break;
    case HostWindowState::Minimized: SDL_MinimizeWindow(host->sdl); break;
    case HostWindowState::Maximized: SDL_MaximizeWindow(host->sdl); break;
  }
}

void PlaceHostWindow(HostWindow* host, const RECT& pixels) {
  if (!host) return;
  const RECT client = ScaleUp(pixels, HostScale());
  SDL_SetWindowPosition(host->sdl, client.left, client.top);
  SDL_SetWindowSize(host->sdl, std::max<int>(client.right - client.left, HostScale()),
                    std::max<int>(client.bottom - client.top, HostScale()));
}

void SetHostWindowTitle(HostWindow* host, const char* title) {
  if (host && !HostConnectionLost()) SDL_SetWindowTitle(host->sdl, title);
}

void SetHostWindowIcon(HostWindow* host, std::span<const std::uint8_t> bmp) {
  if (!host || bmp.empty()) return;
  SDL_RWops* stream = SDL_RWFromConstMem(bmp.data(), static_cast<int>(bmp.size()));
  SDL_Surface* image = stream ? SDL_LoadBMP_RW(stream, 1) : nullptr;
  if (!image) return;
  SDL_SetWindowIcon(host->sdl, image);
  SDL_FreeSurface(image);
}

void RaiseHostWindow(HostWindow* host) {
  if (!host || HostConnectionLost()) return;
  SDL_RaiseWindow(host->sdl);
  // Without a window manager nobody else hands the keyboard focus back.
  SDL_SetWindowInputFocus(host->sdl);
}

std::string HostWindowExportName(HostWindow* host) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!host || !SDL_GetWindowWMInfo(host->sdl, &info) || info.subsystem != SDL_SYSWM_X11) {
    return {};
  }
  char name[32];
  std::snprintf(name, sizeof name, "x11:%lx", static_cast<unsigned long>(info.info.x11.window));
  return name;
}

namespace {

// An SDL view of `surface`'s memory, made again only when the memory moves or resizes.
SDL_Surface* SourceOf(HostWindow& host, const plk::gdi::PixelSurface& surface) {
  SDL_Surface* source = host.source;
  if (source && source->pixels == surface.pixels && source->w == surface.width &&
      source->h == surface.height && source->pitch == surface.stride * 4) {
    return source;
  }
  SDL_FreeSurface(source);
  host.source = SDL_CreateRGBSurfaceWithFormatFrom(surface.pixels, surface.width, surface.height,
                                                   32, surface.stride * 4, SDL_PIXELFORMAT_RGB888);
  return host.source;
}

void PresentShownWindow(HostWindow* host, const plk::gdi::PixelSurface& surface,
                        std::span<const RECT> areas) {
  SDL_Surface* target = host && !HostConnectionLost() ? SDL_GetWindowSurface(host->sdl) : nullptr;
  if (!target || !surface.pixels) return;
  SDL_Surface* source = SourceOf(*host, surface);
  if (!source) return;
  // A new window surface (the first present, a resize) is fresh shared memory.
  if (target->pixels != host->preparedTarget) {
    PrepareFreshPages(target->pixels, static_cast<std::size_t>(target->pitch) * target->h);
    host->preparedTarget = target->pixels;
  }
  const int scale = HostScale();
  // The host may already have a new size that WM_SIZE has not reached yet.
  const RECT bounds = {0, 0, std::min(surface.width, target->w / scale),
                       std::min(surface.height, target->h / scale)};
  // Shown in batches, so that presenting allocates nothing.
  std::array<SDL_Rect, 16> shown;
  int count = 0;
  auto flush = [&] {
    if (count == 0) return;
    SDL_UpdateWindowSurfaceRects(host->sdl, shown.data(), count);
    Trace("present %dx%d", shown[0].w, shown[0].h);
    count = 0;
  };
  for (const RECT& area : areas) {
    const RECT part = {std::max(area.left, bounds.left), std::max(area.top, bounds.top),
                       std::min(area.right, bounds.right), std::min(area.bottom, bounds.bottom)};
    if (part.right <= part.left || part.bottom <= part.top) continue;
    const SDL_Rect from = {part.left, part.top, part.right - part.left, part.bottom - part.top};
    const RECT scaled = ScaleUp(part, scale);
    SDL_Rect to = {scaled.left, scaled.top, scaled.right - scaled.left, scaled.bottom - scaled.top};
    // Nearest neighbour: at a whole factor every pixel becomes a crisp block.
    SDL_BlitScaled(source, &from, target, &to);
    shown[count++] = to;
    if (count == static_cast<int>(shown.size())) flush();
  }
  flush();
}

}  // namespace

bool PresentHostWindow(HostWindow* host, const plk::gdi::PixelSurface& surface,
                       std::span<const RECT> areas) {
  // No surface for a hidden window: the first one would be made before the window has its
  // size, and made again at that size.
  if (host && (SDL_GetWindowFlags(host->sdl) & SDL_WINDOW_HIDDEN) != 0) return false;
  PresentShownWindow(host, surface, areas);
  AnnounceFirstFrame();
  return true;
}

}  // namespace plk::user32
