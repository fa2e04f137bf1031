#include "display/skin_files.h"

#include <cstdio>
#include <cstring>

#include "common/program_globals.h"
#include "display/dib_file.h"
#include "display/skin_bitmap.h"

char SkinList[MAX_SKIN_FILES][MAX_PATH];
DWORD skinCount = 0;

namespace {

// Where skins are looked for after the program's folder: the ones installed with it, then
// the user's (the desktop's data folder, $XDG_DATA_HOME or else ~/.local/share).
const char* const INSTALLED_SKINS[] = {"..", "share", "plinkaro", "skins", nullptr};
const char* const USER_SKINS[] = {"plinkaro", "skins", nullptr};
const char* const DEFAULT_USER_SKINS[] = {".local", "share", "plinkaro", "skins", nullptr};

// `base` and each of `parts` (null-terminated), separated as the host separates folders,
// into a MAX_PATH buffer; FALSE when it does not fit.
BOOL JoinPath(char* out, const char* base, const char* const* parts) {
  char path[MAX_PATH];
  int length = std::snprintf(path, MAX_PATH, "%s", base);
  for (; *parts && length >= 0 && length < MAX_PATH; parts++) {
    length += std::snprintf(path + length, MAX_PATH - length, "%c%s", PATH_SEPARATOR, *parts);
  }
  if (length < 0 || length >= MAX_PATH) return FALSE;
  std::memcpy(out, path, length + 1);
  return TRUE;
}

BOOL FormatPath(char* out, const char* directory, const char* name) {
  const char* const parts[] = {name, nullptr};
  return JoinPath(out, directory, parts);
}

// $XDG_DATA_HOME/plinkaro/skins, or ~/.local/share/plinkaro/skins when it is unset or
// empty; FALSE when the one that applies is unset or too long.
BOOL FindUserSkinFolder(char* folder) {
  char base[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("XDG_DATA_HOME", base, MAX_PATH);
  if (length > 0) return length < MAX_PATH && JoinPath(folder, base, USER_SKINS);
  length = GetEnvironmentVariableA("HOME", base, MAX_PATH);
  return length > 0 && length < MAX_PATH && JoinPath(folder, base, DEFAULT_USER_SKINS);
}

// Adds the .bmp files of `folder` in the order the search gives them, while the list has room.
void ScanSkinFolder(const char* folder) {
  char pattern[MAX_PATH];
  if (skinCount >= MAX_SKIN_FILES || !FormatPath(pattern, folder, "*.bmp")) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // A path too long for the list is left out rather than cut short.
    if (FormatPath(SkinList[skinCount], folder, found.cFileName)) skinCount++;
  } while (skinCount < MAX_SKIN_FILES && FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

void ScanSkinFiles() {
  skinCount = 0;
  ScanSkinFolder(programDirectory);
  char folder[MAX_PATH];
  if (JoinPath(folder, programDirectory, INSTALLED_SKINS)) ScanSkinFolder(folder);
  if (FindUserSkinFolder(folder)) ScanSkinFolder(folder);
}

HBITMAP LoadSkinFromFile(LPCSTR path) { return ConvertLoadedSkin(LoadDibFile(path)); }

HBITMAP LoadSkinFromFile(int index) {
  if (index < 1 || static_cast<DWORD>(index) > skinCount) return nullptr;
  return LoadSkinFromFile(SkinList[index - 1]);
}
