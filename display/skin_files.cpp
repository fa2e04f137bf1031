#include "display/skin_files.h"

#include <cstdio>

#include "common/program_globals.h"
#include "display/dib_file.h"
#include "display/skin_bitmap.h"

char SkinList[MAX_SKIN_FILES][MAX_PATH];
DWORD skinCount = 0;

namespace {

// "directory<separator>name" into a MAX_PATH buffer; FALSE when it does not fit.
BOOL FormatPath(char* out, const char* directory, const char* name) {
  const int length = std::snprintf(out, MAX_PATH, "%s%c%s", directory, PATH_SEPARATOR, name);
  return length >= 0 && length < MAX_PATH;
}

}  // namespace

void ScanSkinFiles() {
  skinCount = 0;
  char pattern[MAX_PATH];
  if (!FormatPath(pattern, programDirectory, "*.bmp")) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // A path too long for the list is left out rather than cut short.
    if (FormatPath(SkinList[skinCount], programDirectory, found.cFileName)) skinCount++;
  } while (skinCount < MAX_SKIN_FILES && FindNextFileA(search, &found));
  FindClose(search);
}

HBITMAP LoadSkinFromFile(LPCSTR path) { return ConvertLoadedSkin(LoadDibFile(path)); }

HBITMAP LoadSkinFromFile(int index) {
  if (index < 1 || static_cast<DWORD>(index) > skinCount) return nullptr;
  return LoadSkinFromFile(SkinList[index - 1]);
}
