// Implements: CoTaskMemAlloc and CoTaskMemFree (null-tolerant) over the C heap, the memory
// that the shell hands its callers.
// Does not implement: CoTaskMemRealloc, COM itself.
#include <objbase.h>

#include <cstdlib>

LPVOID CoTaskMemAlloc(SIZE_T bytes) { return std::malloc(bytes ? bytes : 1); }

void CoTaskMemFree(LPVOID memory) { std::free(memory); }
