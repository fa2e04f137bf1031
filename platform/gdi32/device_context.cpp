// Implements: memory DCs, window DCs (window_surface.h), the screen DC, object selection
// and deletion with the Win32 rules the program relies on (a bitmap in one memory DC at a
// time, a selected bitmap cannot be deleted, stock objects are never deleted), solid and
// stock brushes, and the DC attributes (window origin, colours, background mode).
// Does not implement: SaveDC/RestoreDC, pens, regions, palettes, device capabilities
// other than BITSPIXEL and PLANES.
#include <windows.h>

#include <utility>

#include "gdi32/gdi_objects.h"
#include "gdi32/rects.h"
#include "gdi32/trace.h"
#include "gdi32/window_surface.h"

using plk::gdi::Bitmap;
using plk::gdi::Brush;
using plk::gdi::DeviceContext;
using plk::gdi::Font;
using plk::gdi::GdiObject;
using plk::gdi::ObjectKind;
using plk::gdi::Objects;
using plk::gdi::ObjectTable;

namespace {

HDC AddDeviceContext(ObjectTable& table, DeviceContext::Type type) {
  auto dc = std::make_shared<DeviceContext>(type);
  plk::gdi::SelectDefaults(table, *dc);
  return static_cast<HDC>(table.Add(std::move(dc)));
}

HGDIOBJ SelectBitmap(ObjectTable& table, HDC dcHandle, DeviceContext& dc, HGDIOBJ handle) {
  if (dc.type != DeviceContext::Type::kMemory) return nullptr;
  auto bitmap = table.Find<Bitmap>(handle);
  // The shared default bitmap may sit in any number of DCs; any other bitmap in one.
  if (!bitmap->stock && bitmap->selectedInto && bitmap->selectedInto != dcHandle) {
    plk::gdi::Trace("bitmap %p is already selected into DC %p", handle,
                    static_cast<void*>(bitmap->selectedInto));
    return nullptr;
  }
  const HGDIOBJ previous = dc.bitmap.handle;
  if (dc.bitmap.object && dc.bitmap.object != bitmap) dc.bitmap.object->selectedInto = nullptr;
  if (!bitmap->stock) bitmap->selectedInto = dcHandle;
  dc.bitmap = {handle, std::move(bitmap)};
  return previous;
}

template <class T>
HGDIOBJ Replace(plk::gdi::Selection<T>& slot, HGDIOBJ handle, std::shared_ptr<T> object) {
  const HGDIOBJ previous = slot.handle;
  slot = {handle, std::move(object)};
  return previous;
}

template <class Apply>
auto WithDc(HDC handle, Apply apply, decltype(apply(std::declval<DeviceContext&>())) failed) {
  auto lock = Objects().Lock();
  DeviceContext* dc = Objects().Get<DeviceContext>(handle);
  return dc ? apply(*dc) : failed;
}

}  // namespace

HDC CreateCompatibleDC(HDC reference) {
  auto lock = Objects().Lock();
  if (reference && !Objects().Get<DeviceContext>(reference)) return nullptr;
  return AddDeviceContext(Objects(), DeviceContext::Type::kMemory);
}

BOOL DeleteDC(HDC handle) {
  auto lock = Objects().Lock();
  DeviceContext* dc = Objects().Get<DeviceContext>(handle);
  if (!dc || dc->type != DeviceContext::Type::kMemory) return FALSE;
  if (dc->bitmap.object) dc->bitmap.object->selectedInto = nullptr;
  Objects().Remove(handle);
  return TRUE;
}

HGDIOBJ SelectObject(HDC dcHandle, HGDIOBJ handle) {
  auto lock = Objects().Lock();
  ObjectTable& table = Objects();
  DeviceContext* dc = table.Get<DeviceContext>(dcHandle);
  auto object = table.Find(handle);
  if (!dc || !object) return nullptr;
  switch (object->Kind()) {
    case ObjectKind::kBitmap: return SelectBitmap(table, dcHandle, *dc, handle);
    case ObjectKind::kBrush:
      return Replace(dc->brush, handle, std::static_pointer_cast<Brush>(object));
    case ObjectKind::kFont:
      return Replace(dc->font, handle, std::static_pointer_cast<Font>(object));
    case ObjectKind::kDeviceContext: return nullptr;
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ handle) {
  auto lock = Objects().Lock();
  auto object = Objects().Find(handle);
  if (!object || object->Kind() == ObjectKind::kDeviceContext) return FALSE;
  if (object->stock) return TRUE;
  if (object->Kind() == ObjectKind::kBitmap && static_cast<Bitmap&>(*object).selectedInto) {
    plk::gdi::Trace("bitmap %p not deleted: still selected into a DC", handle);
    return FALSE;
  }
  // A brush or font still selected somewhere stays alive in that DC until replaced.
  Objects().Remove(handle);
  return TRUE;
}

HGDIOBJ GetStockObject(int index) {
  auto lock = Objects().Lock();
  return Objects().Stock(index);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto lock = Objects().Lock();
  return static_cast<HBRUSH>(Objects().Add(std::make_shared<Brush>(color & 0x00FFFFFFu)));
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous) {
  return WithDc(
      dc,
      [&](DeviceContext& d) {
        if (previous) *previous = d.windowOrigin;
        d.windowOrigin = {x, y};
        return TRUE;
      },
      FALSE);
}

BOOL GetWindowOrgEx(HDC dc, LPPOINT origin) {
  return WithDc(
      dc,
      [&](DeviceContext& d) {
        if (!origin) return FALSE;
        *origin = d.windowOrigin;
        return TRUE;
      },
      FALSE);
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  return WithDc(
      dc, [&](DeviceContext& d) { return std::exchange(d.textColor, color & 0x00FFFFFFu); },
      static_cast<COLORREF>(CLR_INVALID));
}

COLORREF GetTextColor(HDC dc) {
  return WithDc(
      dc, [](DeviceContext& d) { return d.textColor; }, static_cast<COLORREF>(CLR_INVALID));
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  return WithDc(
      dc, [&](DeviceContext& d) { return std::exchange(d.bkColor, color & 0x00FFFFFFu); },
      static_cast<COLORREF>(CLR_INVALID));
}

COLORREF GetBkColor(HDC dc) {
  return WithDc(
      dc, [](DeviceContext& d) { return d.bkColor; }, static_cast<COLORREF>(CLR_INVALID));
}

int SetBkMode(HDC dc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return WithDc(
      dc, [&](DeviceContext& d) { return std::exchange(d.bkMode, mode); }, 0);
}

int GetBkMode(HDC dc) {
  return WithDc(
      dc, [](DeviceContext& d) { return d.bkMode; }, 0);
}

int GetDeviceCaps(HDC dc, int index) {
  return WithDc(
      dc,
      [&](DeviceContext&) {
        switch (index) {
          case BITSPIXEL: return 32;
          case PLANES: return 1;
          default: return 0;
        }
      },
      0);
}

namespace plk::gdi {

HDC CreateWindowDC() {
  auto lock = Objects().Lock();
  return AddDeviceContext(Objects(), DeviceContext::Type::kWindow);
}

void RetargetWindowDC(HDC handle, const WindowTarget& target) {
  auto lock = Objects().Lock();
  DeviceContext* dc = Objects().Get<DeviceContext>(handle);
  if (!dc || dc->type != DeviceContext::Type::kWindow) return;
  dc->target.surface = target.surface;
  dc->target.origin = target.origin;
  dc->target.clip.assign(target.clip.begin(), target.clip.end());  // keeps its capacity
  dc->target.damage = target.damage;
  dc->clipBounds = {0, 0, 0, 0};
  for (const RECT& c : target.clip) dc->clipBounds = plk::gdi::Union(dc->clipBounds, c);
}

void DestroyWindowDC(HDC handle) {
  auto lock = Objects().Lock();
  DeviceContext* dc = Objects().Get<DeviceContext>(handle);
  if (dc && dc->type == DeviceContext::Type::kWindow) Objects().Remove(handle);
}

HDC ScreenDC() {
  auto lock = Objects().Lock();
  return Objects().Screen();
}

}  // namespace plk::gdi
