// Implements: LoadIconA (integer ids from the embedded resource table; IDI_* system icons
// as handles without a picture), LoadCursorA (IDC_ARROW and IDC_IBEAM; the host shows its
// own arrow), LoadBitmapA (integer ids: the embedded .bmp file through gdi32),
// DestroyIcon. An icon handle is the address of its table entry.
// Does not implement: string resource names, icon sizes, cursor shapes other than the
// host's default arrow.
#include "user32/resource_lookup.h"

#include "gdi32/window_surface.h"

namespace plk::user32 {
namespace {

// Distinct addresses serve as the handles of the system icon and cursors.
const char kSystemIcon = 0;
const char kArrowCursor = 0;
const char kBeamCursor = 0;

template <typename Handle>
Handle HandleOf(const void* address) {
  return static_cast<Handle>(const_cast<void*>(address));
}

}  // namespace

const EmbeddedResource* FindEmbeddedResource(ResourceType type, int id) {
  for (const EmbeddedResource* entry = embeddedResources; entry->bytes; ++entry) {
    if (entry->type == type && entry->id == id) return entry;
  }
  return nullptr;
}

const EmbeddedResource* IconResource(HICON icon) {
  for (const EmbeddedResource* entry = embeddedResources; entry->bytes; ++entry) {
    if (HandleOf<HICON>(entry) == icon && entry->type == ResourceType::Icon) return entry;
  }
  return nullptr;
}

}  // namespace plk::user32

using namespace plk::user32;

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  if (!instance) return HandleOf<HICON>(&kSystemIcon);
  const plk::EmbeddedResource* icon = FindEmbeddedResource(plk::ResourceType::Icon, LOWORD(name));
  return icon ? HandleOf<HICON>(icon) : nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance || !IS_INTRESOURCE(name)) return nullptr;
  if (name == IDC_ARROW) return HandleOf<HCURSOR>(&kArrowCursor);
  if (name == IDC_IBEAM) return HandleOf<HCURSOR>(&kBeamCursor);
  return nullptr;
}

HBITMAP LoadBitmapA(HINSTANCE, LPCSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  const plk::EmbeddedResource* bitmap =
      FindEmbeddedResource(plk::ResourceType::Bitmap, LOWORD(name));
  return bitmap ? plk::gdi::CreateBitmapFromBmpFile(bitmap->bytes, bitmap->size) : nullptr;
}

BOOL DestroyIcon(HICON) { return TRUE; }
