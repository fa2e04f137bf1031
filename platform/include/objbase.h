// The COM task allocator, which hands memory across the shell's calls.
#pragma once

#include <windows.h>

LPVOID CoTaskMemAlloc(SIZE_T bytes);
void CoTaskMemFree(LPVOID memory);
