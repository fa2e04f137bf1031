// The shell's data layouts that the platform's DLLs pass between them.
#pragma once

#include <windows.h>

// The memory block behind an HDROP: this header, then at pFiles the dropped names, each
// ending in a null character, the list ending in one more.
typedef struct _DROPFILES {
  DWORD pFiles;  // bytes from the start of the block to the first name
  POINT pt;      // where the files were dropped, in the window's client coordinates
  BOOL fNC;      // the drop was on the non-client area
  BOOL fWide;    // the names are UTF-16
} DROPFILES, *LPDROPFILES;
