// Implements: CreateDIBSection (1, 4, 8, 16, 24, 32 bits per pixel, BI_RGB, bottom-up and
// top-down, colour tables), CreateCompatibleBitmap (always 32 bits, black) and GetObjectA
// for bitmaps. The bits pointer of a DIB section is its own memory in its own format; the
// blitter converts when it reads from it.
// Does not implement: BI_BITFIELDS, RLE, DIB_PAL_COLORS, file mappings, monochrome
// compatible bitmaps, GetObjectA for brushes and fonts.
#include "gdi32/dib_section.h"

#include <cstdlib>
#include <cstring>

#include "gdi32/trace.h"

namespace plk::gdi {

int ColorTableEntries(const BITMAPINFOHEADER& header) {
  if (header.biBitCount > 8) return 0;
  const int full = 1 << header.biBitCount;
  if (header.biClrUsed == 0 || header.biClrUsed > static_cast<DWORD>(full)) return full;
  return static_cast<int>(header.biClrUsed);
}

std::shared_ptr<Bitmap> CreateDib(const BITMAPINFOHEADER& header, const RGBQUAD* colors) {
  const int bits = header.biBitCount;
  const bool knownDepth =
      bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || !knownDepth ||
      header.biCompression != BI_RGB || header.biHeight == 0) {
    Trace("refused DIB header: size %u, planes %u, %u bits, compression %u, %dx%d",
          static_cast<unsigned>(header.biSize), header.biPlanes, bits,
          static_cast<unsigned>(header.biCompression), static_cast<int>(header.biWidth),
          static_cast<int>(header.biHeight));
    return nullptr;
  }
  // A colour table sits right after the header; larger headers would put it elsewhere.
  if (bits <= 8 && header.biSize != sizeof(BITMAPINFOHEADER)) return nullptr;
  const std::int64_t height = header.biHeight;
  if (height < -(std::int64_t{1} << 30)) return nullptr;
  auto bitmap = Bitmap::Create(header.biWidth, static_cast<int>(std::llabs(height)), bits,
                               header.biHeight < 0);
  if (!bitmap) return nullptr;
  bitmap->isDibSection = true;
  bitmap->paletteSize = ColorTableEntries(header);
  for (int i = 0; i < bitmap->paletteSize; ++i) {
    const RGBQUAD& c = colors[i];
    bitmap->palette[i] =
        (static_cast<std::uint32_t>(c.rgbRed) << 16) | (c.rgbGreen << 8) | c.rgbBlue;
  }
  return bitmap;
}

}  // namespace plk::gdi

using plk::gdi::Bitmap;
using plk::gdi::Objects;

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD /*offset*/) {
  if (bits) *bits = nullptr;
  auto lock = Objects().Lock();
  if (!info || usage != DIB_RGB_COLORS || section) return nullptr;
  if (dc && !Objects().Get<plk::gdi::DeviceContext>(dc)) return nullptr;
  auto bitmap = plk::gdi::CreateDib(info->bmiHeader, info->bmiColors);
  if (!bitmap) return nullptr;
  if (bits) *bits = bitmap->bits.get();
  return static_cast<HBITMAP>(Objects().Add(std::move(bitmap)));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  auto lock = Objects().Lock();
  if (!Objects().Get<plk::gdi::DeviceContext>(dc)) return nullptr;
  auto bitmap = Bitmap::Create(width, height, 32, true);
  if (!bitmap) return nullptr;
  return static_cast<HBITMAP>(Objects().Add(std::move(bitmap)));
}

int GetObjectA(HANDLE handle, int size, LPVOID buffer) {
  auto lock = Objects().Lock();
  const Bitmap* bitmap = Objects().Get<Bitmap>(handle);
  if (!bitmap) return 0;
  if (!buffer) return sizeof(BITMAP);
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP info = {};
  info.bmType = 0;
  info.bmWidth = bitmap->width;
  info.bmHeight = bitmap->height;
  info.bmWidthBytes = bitmap->isDibSection ? static_cast<LONG>(bitmap->strideBytes)
                                           : (bitmap->width * bitmap->bitsPerPixel + 15) / 16 * 2;
  info.bmPlanes = 1;
  info.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
  info.bmBits = bitmap->isDibSection ? bitmap->bits.get() : nullptr;
  std::memcpy(buffer, &info, sizeof info);
  return sizeof(BITMAP);
}
