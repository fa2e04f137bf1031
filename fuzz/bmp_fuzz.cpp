// LoadDibFile on arbitrary bytes: whatever the headers say, nothing is read outside the
// file or written outside the pixel memory, and what loads can be drawn from.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "display/dib_file.h"

namespace {

// The loader reads a path; an in-memory file keeps the disk out of the loop.
int InputFile(char* path, std::size_t size) {
  static const int fd = memfd_create("plinkaro-bmp-fuzz", 0);
  std::snprintf(path, size, "/proc/self/fd/%d", fd);
  return fd;
}

void DrawFrom(HBITMAP bitmap) {
  BITMAP info;
  if (GetObjectA(bitmap, sizeof info, &info) == 0) return;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  GetPixel(dc, 0, 0);
  GetPixel(dc, info.bmWidth - 1, (info.bmHeight < 0 ? -info.bmHeight : info.bmHeight) - 1);
  SelectObject(dc, previous);
  DeleteDC(dc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  char path[64];
  const int fd = InputFile(path, sizeof path);
  if (fd < 0 || ftruncate(fd, 0) != 0) return 0;
  if (pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  HBITMAP bitmap = LoadDibFile(path);
  if (bitmap) {
    DrawFrom(bitmap);
    DeleteObject(bitmap);
  }
  return 0;
}
