// The last part of a path, for showing a file by its name.
#pragma once

#include <windows.h>

// What follows the path's last separator (either kind, since names from the other host's
// conventions reach the program too); the whole path when it has none.
inline LPCSTR FileNameOf(LPCSTR path) {
  LPCSTR name = path;
  for (LPCSTR p = path; *p; p++) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return name;
}
