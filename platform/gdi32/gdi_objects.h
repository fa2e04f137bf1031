// Implements: the GDI objects (bitmaps, brushes, fonts, device contexts) and the table
// that owns them. Handles are opaque numbers, checked on every use, so a stale
// or wrong handle fails the call instead of touching freed memory.
// Does not implement: pens, regions, palettes, metafiles.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "gdi32/pixel_rows.h"
#include "gdi32/window_surface.h"
#include "handle_table.h"

namespace plk::gdi {

class FontFace;

enum class ObjectKind { kBitmap, kBrush, kFont, kDeviceContext };

class GdiObject {
 public:
  explicit GdiObject(ObjectKind kind) : kind_(kind) {}
  virtual ~GdiObject() = default;
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  ObjectKind Kind() const { return kind_; }
  // Stock objects live as long as the process; deleting one does nothing.
  bool stock = false;

 private:
  ObjectKind kind_;
};

class Bitmap : public GdiObject {
 public:
  static constexpr ObjectKind kKind = ObjectKind::kBitmap;
  // Zeroed pixels; null when the size or depth is out of range.
  static std::shared_ptr<Bitmap> Create(int width, int height, int bitsPerPixel, bool topDown);

  PixelRows Rows() const;

  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;
  bool topDown = true;
  bool isDibSection = false;  // GetObjectA reports bmBits only for DIB sections
  std::size_t strideBytes = 0;
  std::unique_ptr<std::uint8_t[]> bits;
  std::array<std::uint32_t, 256> palette{};  // 0x00RRGGBB
  int paletteSize = 0;
  HDC selectedInto = nullptr;

  Bitmap() : GdiObject(kKind) {}
};

class Brush : public GdiObject {
 public:
  static constexpr ObjectKind kKind = ObjectKind::kBrush;
  explicit Brush(COLORREF c, bool isHollow = false)
      : GdiObject(kKind), color(c), hollow(isHollow) {}
  COLORREF color;
  bool hollow;
};

struct FontRequest {
  int height = 0;  // as CreateFontA takes it: > 0 cell height, < 0 character height
  int weight = FW_NORMAL;
  std::string face;
  int width = 0;  // the character cell width; 0 for the face's own proportion
  BYTE pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
};

class Font : public GdiObject {
 public:
  static constexpr ObjectKind kKind = ObjectKind::kFont;
  explicit Font(FontRequest r) : GdiObject(kKind), request(std::move(r)) {}
  FontRequest request;
  std::shared_ptr<FontFace> face;  // resolved on first use
  bool resolved = false;
};

// An object selected into a DC: the DC keeps it alive even if its handle is deleted.
template <class T>
struct Selection {
  HGDIOBJ handle = nullptr;
  std::shared_ptr<T> object;
};

class DeviceContext : public GdiObject {
 public:
  static constexpr ObjectKind kKind = ObjectKind::kDeviceContext;
  enum class Type { kMemory, kWindow, kScreen };
  explicit DeviceContext(Type t) : GdiObject(kKind), type(t) {}

  Type type;
  POINT windowOrigin = {0, 0};
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  Selection<Bitmap> bitmap;  // memory DCs only
  Selection<Font> font;
  Selection<Brush> brush;
  WindowTarget target;             // window DCs only
  RECT clipBounds = {0, 0, 0, 0};  // the bounding box of target.clip
};

// Every GDI object of the process, with the stock objects. Each exported function holds
// Lock() for its whole run, so objects found through the table stay valid until it returns.
class ObjectTable {
 public:
  ObjectTable();
  std::unique_lock<std::mutex> Lock() { return handles_.Lock(); }

  // These expect Lock() held.
  HGDIOBJ Add(std::shared_ptr<GdiObject> object) { return handles_.AddLocked(std::move(object)); }
  std::shared_ptr<GdiObject> Find(HGDIOBJ handle) {
    const auto* found = handles_.FindLocked(handle);
    return found ? *found : nullptr;
  }
  template <class T>
  std::shared_ptr<T> Find(HGDIOBJ handle) {
    auto object = Find(handle);
    if (!object || object->Kind() != T::kKind) return nullptr;
    return std::static_pointer_cast<T>(object);
  }
  // Raw lookup for the hot paths (BitBlt, FillRect).
  template <class T>
  T* Get(HGDIOBJ handle) {
    const auto* found = handles_.FindLocked(handle);
    if (!found || (*found)->Kind() != T::kKind) return nullptr;
    return static_cast<T*>(found->get());
  }
  void Remove(HGDIOBJ handle) { handles_.RemoveLocked(handle); }

  HGDIOBJ Stock(int index) const;
  HGDIOBJ DefaultBitmap() const { return defaultBitmap_; }
  HDC Screen() const { return screen_; }

 private:
  HandleTable<std::shared_ptr<GdiObject>, HGDIOBJ> handles_{HandleRange::kGdiObjects};
  std::array<HGDIOBJ, DEFAULT_GUI_FONT + 1> stock_{};
  HGDIOBJ defaultBitmap_ = nullptr;
  HDC screen_ = nullptr;
};

ObjectTable& Objects();

// Gives a new DC its default selections (stock brush and font; for memory DCs the 1x1
// default bitmap).
void SelectDefaults(ObjectTable& table, DeviceContext& dc);

}  // namespace plk::gdi
