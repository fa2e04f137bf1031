#include "display/dib_file.h"

#include <cstring>

namespace {

const WORD BMP_TYPE = 0x4D42;  // "BM"
// The largest information header (BITMAPV5HEADER) with room to spare.
const DWORD MAX_INFO_HEADER_SIZE = 1024;

// The information header with room for the largest colour table (8 bits per pixel).
struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

BOOL ReadExactly(HANDLE file, void* buffer, DWORD count) {
  DWORD got = 0;
  return ReadFile(file, buffer, count, &got, nullptr) && got == count;
}

int ColorEntries(const BITMAPINFOHEADER& header) {
  if (header.biBitCount > 8) return 0;
  const DWORD full = 1u << header.biBitCount;
  return static_cast<int>(header.biClrUsed == 0 || header.biClrUsed > full ? full
                                                                           : header.biClrUsed);
}

// Bytes of one pixel row, padded to a multiple of 4.
long long RowBytes(const BITMAPINFOHEADER& header) {
  return (static_cast<long long>(header.biBitCount) * header.biWidth + 31) / 32 * 4;
}

long long ImageRows(const BITMAPINFOHEADER& header) {
  return header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
}

// What this loader and every DIB section handle: uncompressed pixels of a known depth,
// an information header of a known size, a width above 0, a height other than 0 (negative:
// rows from the top) whose size can be negated, and a picture of reasonable size.
BOOL IsSupportedHeader(const BITMAPINFOHEADER& header) {
  const WORD bits = header.biBitCount;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > MAX_INFO_HEADER_SIZE ||
      header.biCompression != BI_RGB) {
    return FALSE;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return FALSE;
  if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == -2147483647L - 1) {
    return FALSE;
  }
  // Divided, not multiplied: a row of 2^31 pixels times 2^31 rows overflows even 64 bits.
  return RowBytes(header) <= MAX_DIB_PIXEL_BYTES / ImageRows(header);
}

// The colour table follows the information header, whatever that header's size.
BOOL ReadColorTable(HANDLE file, DibInfo* info) {
  const int entries = ColorEntries(info->header);
  if (entries == 0) return TRUE;
  const DWORD at = sizeof(BITMAPFILEHEADER) + info->header.biSize;
  if (SetFilePointer(file, static_cast<LONG>(at), nullptr, FILE_BEGIN) != at) return FALSE;
  return ReadExactly(file, info->colors, entries * sizeof(RGBQUAD));
}

// Pixel bytes to read: the header's image size, or the whole image for BI_RGB. Zero when
// the size exceeds the pixel memory of `bitmap`.
DWORD PixelByteCount(const BITMAPINFOHEADER& header, HBITMAP bitmap) {
  BITMAP memory;
  if (GetObjectA(bitmap, sizeof memory, &memory) == 0) return 0;
  const long long rows =
      memory.bmHeight < 0 ? -static_cast<long long>(memory.bmHeight) : memory.bmHeight;
  const long long available = static_cast<long long>(memory.bmWidthBytes) * rows;
  const long long count =
      header.biSizeImage != 0 ? header.biSizeImage : RowBytes(header) * ImageRows(header);
  return count <= available ? static_cast<DWORD>(count) : 0;
}

HBITMAP ReadPixels(HANDLE file, const BITMAPFILEHEADER& fileHeader, const DibInfo& info) {
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                    DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!bitmap) return nullptr;
  const DWORD count = PixelByteCount(info.header, bitmap);
  const DWORD at = fileHeader.bfOffBits;
  // An offset beyond 2 GB cannot be inside a file that holds a skin.
  if (count == 0 || pixels == nullptr || at > 0x7FFFFFFFu ||
      SetFilePointer(file, static_cast<LONG>(at), nullptr, FILE_BEGIN) != at ||
      !ReadExactly(file, pixels, count)) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

HBITMAP ReadDib(HANDLE file) {
  BITMAPFILEHEADER fileHeader;
  if (!ReadExactly(file, &fileHeader, sizeof fileHeader) || fileHeader.bfType != BMP_TYPE) {
    return nullptr;
  }
  DibInfo info;
  std::memset(&info, 0, sizeof info);
  if (!ReadExactly(file, &info, sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD))) return nullptr;
  if (!IsSupportedHeader(info.header) || !ReadColorTable(file, &info)) return nullptr;
  // The section is made from the 40-byte header whatever the file's header size was.
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  return ReadPixels(file, fileHeader, info);
}

}  // namespace

HBITMAP LoadDibFile(LPCSTR path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  HBITMAP bitmap = ReadDib(file);
  CloseHandle(file);
  return bitmap;
}
