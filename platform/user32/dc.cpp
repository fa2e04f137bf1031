// Implements: GetDC/ReleaseDC (GetDC(NULL) is gdi32's screen DC), the class DC shared by
// all windows of a CS_CLASSDC class and keeping its attributes between uses, CS_OWNDC
// DCs, common DCs created per GetDC and destroyed by ReleaseDC, and retargeting bound DCs
// when a window's pixels move or its client area changes; a solid fill for the controls
// user32 draws.
// Does not implement: GetDCEx, GetWindowDC (non-client drawing), excluding visible
// children from a parent's DC (the program's main window does not clip its children).
#include "user32/dc.h"

#include "user32/window.h"
#include "user32/window_class.h"
#include "user32/window_pixels.h"
#include "user32/window_rects.h"

#include <algorithm>
#include <vector>

namespace plk::user32 {
namespace {

enum class DcKind { Class, Own, Common };

struct DcBinding {
  HDC dc;
  HWND window;
  DcKind kind;
};

std::vector<DcBinding>& Bindings() {
  thread_local std::vector<DcBinding> bindings;  // DCs belong to the UI thread
  return bindings;
}

void Bind(HDC dc, HWND window, DcKind kind) {
  auto& bindings = Bindings();
  std::erase_if(bindings, [&](const DcBinding& binding) { return binding.dc == dc; });
  bindings.push_back({dc, window, kind});
}

}  // namespace

plk::gdi::WindowTarget TargetFor(Window& window, const Region* clip) {
  plk::gdi::WindowTarget target;
  Window* top = TopLevelOf(window);
  if (!top->pixels) return target;
  target.surface = top->pixels->Surface();
  target.damage = &top->pixels->damage;
  target.origin = ClientOriginOnSurface(window);
  if (!IsShown(window)) return target;
  const RECT visible = ClientClipOnSurface(window);
  if (!clip) {
    if (!IsEmptyRect(visible)) target.clip.push_back(visible);
    return target;
  }
  Region onSurface = *clip;
  onSurface.Offset(target.origin.x, target.origin.y);
  onSurface.Intersect(visible);
  target.clip = onSurface.Rects();
  return target;
}

HDC AcquireWindowDC(HWND handle, const Region* clip) {
  Window* window = FindWindowObject(handle);
  if (!window) return nullptr;
  WindowClass* windowClass = window->windowClass.get();
  HDC dc = nullptr;
  DcKind kind = DcKind::Common;
  if (windowClass && (windowClass->style & CS_CLASSDC)) {
    if (!windowClass->classDC) windowClass->classDC = plk::gdi::CreateWindowDC();
    windowClass->classDCWindow = handle;
    dc = windowClass->classDC;
    kind = DcKind::Class;
  } else if (windowClass && (windowClass->style & CS_OWNDC)) {
    if (!window->ownDC) window->ownDC = plk::gdi::CreateWindowDC();
    dc = window->ownDC;
    kind = DcKind::Own;
  } else {
    dc = plk::gdi::CreateWindowDC();
  }
  if (!dc) return nullptr;
  plk::gdi::RetargetWindowDC(dc, TargetFor(*window, clip));
  Bind(dc, handle, kind);
  return dc;
}

int ReleaseWindowDC(HWND, HDC dc) {
  auto& bindings = Bindings();
  auto found = std::find_if(bindings.begin(), bindings.end(),
                            [&](const DcBinding& binding) { return binding.dc == dc; });
  if (found == bindings.end()) return 0;
  if (found->kind == DcKind::Common) {
    plk::gdi::DestroyWindowDC(dc);
    bindings.erase(found);
  }
  return 1;
}

void RetargetWindowDCs(HWND handle) {
  Window* changed = FindWindowObject(handle);
  if (!changed) return;
  Window* top = TopLevelOf(*changed);
  for (const DcBinding& binding : Bindings()) {
    Window* window = FindWindowObject(binding.window);
    if (window && TopLevelOf(*window) == top) {
      plk::gdi::RetargetWindowDC(binding.dc, TargetFor(*window, nullptr));
    }
  }
}

void ForgetWindowDCs(HWND handle) {
  auto& bindings = Bindings();
  for (const DcBinding& binding : bindings) {
    if (binding.window != handle) continue;
    if (binding.kind == DcKind::Common) {
      plk::gdi::DestroyWindowDC(binding.dc);
    } else {
      plk::gdi::RetargetWindowDC(binding.dc, plk::gdi::WindowTarget{});
    }
  }
  std::erase_if(bindings, [&](const DcBinding& binding) { return binding.window == handle; });
  if (Window* window = FindWindowObject(handle); window && window->ownDC) {
    plk::gdi::DestroyWindowDC(window->ownDC);
    window->ownDC = nullptr;
  }
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

}  // namespace plk::user32

HDC GetDC(HWND window) {
  if (!window) return plk::gdi::ScreenDC();
  return plk::user32::AcquireWindowDC(window, nullptr);
}

int ReleaseDC(HWND window, HDC dc) {
  if (dc && dc == plk::gdi::ScreenDC()) return 1;
  return plk::user32::ReleaseWindowDC(window, dc);
}
