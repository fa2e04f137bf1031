#include <cstring>

#include "common/program_globals.h"
#include "app/main_window.h"

namespace {

// The last separator, stepping over double-byte characters whose trail byte may look
// like a backslash.
char* FindLastSeparator(char* path) {
  char* last = nullptr;
  for (char* p = path; *p; p++) {
    if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
      p++;
    } else if (*p == PATH_SEPARATOR) {
      last = p;
    }
  }
  return last;
}

}  // namespace

void CutToDirectory(char* path) {
  char* separator = FindLastSeparator(path);
  if (separator) *separator = '\0';
}

void FindProgramDirectory() {
  char buffer[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, buffer, MAX_PATH - 1);
  buffer[MAX_PATH - 1] = '\0';
  std::memcpy(programDirectory, buffer, sizeof programDirectory);
  CutToDirectory(programDirectory);
}
