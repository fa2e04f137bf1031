// Implements: a bitmap from the bytes of a whole BMP file (14-byte file header, info header
// of 40 bytes or more, colour table, pixels), as LoadBitmapA gives for a bitmap resource.
// Every offset and length is checked against the bytes given before it is used.
// Does not implement: OS/2 core headers, BI_BITFIELDS, RLE, embedded colour profiles.
#include <windows.h>

#include <cstring>

#include "gdi32/dib_section.h"
#include "gdi32/gdi_objects.h"
#include "gdi32/trace.h"
#include "gdi32/window_surface.h"

namespace plk::gdi {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

template <class T>
bool ReadAt(const std::uint8_t* bytes, std::size_t size, std::size_t offset, T& out) {
  if (offset > size || size - offset < sizeof(T)) return false;
  std::memcpy(&out, bytes + offset, sizeof(T));
  return true;
}

bool Fits(std::size_t size, std::size_t offset, std::size_t length) {
  return offset <= size && size - offset >= length;
}

std::shared_ptr<Bitmap> ParseBmp(const std::uint8_t* bytes, std::size_t size) {
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER header;
  if (!bytes || !ReadAt(bytes, size, 0, file) || file.bfType != 0x4D42 ||
      !ReadAt(bytes, size, kFileHeaderSize, header)) {
    return nullptr;
  }
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size) return nullptr;
  const std::size_t colorsAt = kFileHeaderSize + header.biSize;
  const std::size_t colorBytes = sizeof(RGBQUAD) * ColorTableEntries(header);
  if (!Fits(size, colorsAt, colorBytes)) return nullptr;
  // Copied out so that the palette is read from aligned memory.
  RGBQUAD colors[256];
  std::memcpy(colors, bytes + colorsAt, colorBytes);
  auto bitmap = CreateDib(header, colors);
  if (!bitmap) return nullptr;
  const std::size_t pixelBytes = bitmap->strideBytes * bitmap->height;
  if (!Fits(size, file.bfOffBits, pixelBytes)) {
    Trace("refused BMP: %zu pixel bytes at offset %u, file of %zu bytes", pixelBytes,
          static_cast<unsigned>(file.bfOffBits), size);
    return nullptr;
  }
  std::memcpy(bitmap->bits.get(), bytes + file.bfOffBits, pixelBytes);
  return bitmap;
}

// LoadBitmapA gives a device-compatible bitmap: 32 bits, top-down, no bits pointer.
std::shared_ptr<Bitmap> ToCompatible(const Bitmap& dib) {
  auto bitmap = Bitmap::Create(dib.width, dib.height, 32, true);
  const PixelRows from = dib.Rows();
  const PixelRows to = bitmap->Rows();
  for (int y = 0; y < dib.height; ++y) ReadPixels(from, 0, y, dib.width, to.Row32(y));
  return bitmap;
}

}  // namespace

HBITMAP CreateBitmapFromBmpFile(const std::uint8_t* bytes, std::size_t size) {
  auto dib = ParseBmp(bytes, size);
  if (!dib) return nullptr;
  auto bitmap = ToCompatible(*dib);
  auto lock = Objects().Lock();
  return static_cast<HBITMAP>(Objects().Add(std::move(bitmap)));
}

}  // namespace plk::gdi
