// Implements: GlobalAlloc (GMEM_FIXED, with GMEM_ZEROINIT) and GlobalFree (null on
// success), over the C heap.
// Does not implement: movable memory (GlobalLock/GlobalUnlock), GlobalSize, GlobalReAlloc.
#include <windows.h>

#include <cstdlib>

LPVOID GlobalAlloc(UINT flags, SIZE_T bytes) {
  const std::size_t size = bytes ? bytes : 1;
  return (flags & GMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
}

LPVOID GlobalFree(LPVOID memory) {
  std::free(memory);
  return nullptr;
}
