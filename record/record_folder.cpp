#include "record/record_folder.h"

#include <shlobj.h>

#include <cstdio>

#include "common/program_globals.h"
#include "common/settings.h"

char recordFolderChoice[MAX_PATH] = "";
BOOL recordFolderChosen = FALSE;

namespace {

DWORD LastError() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_PATH_NOT_FOUND;
}

BOOL MadeOrThere(LPCSTR folder) {
  return CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

DWORD CurrentFolder(char* folder) {
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
  if (length > 0 && length < MAX_PATH) return ERROR_SUCCESS;
  const DWORD error = length > 0 ? ERROR_FILENAME_EXCED_RANGE : LastError();
  lstrcpyA(folder, ".");
  return error;
}

}  // namespace

void LoadRecordFolderChoice() {
  ReadSetting(SETTINGS_SECTION, RECORD_FOLDER_KEY, recordFolderChoice, MAX_PATH);
}

void ChooseRecordFolder(LPCSTR folder) {
  lstrcpynA(recordFolderChoice, folder, MAX_PATH);
  recordFolderChosen = TRUE;
}

DWORD FindDefaultRecordFolder(char* folder, BOOL create) {
  // S_FALSE: the Music folder is not there (yet); its path still comes.
  char music[MAX_PATH] = "";
  const int which = CSIDL_MYMUSIC | (create ? CSIDL_FLAG_CREATE : 0);
  if (FAILED(SHGetFolderPathA(nullptr, which, nullptr, SHGFP_TYPE_CURRENT, music)) || !music[0]) {
    return CurrentFolder(folder);
  }
  const int length = std::snprintf(folder, MAX_PATH, "%s%cPlinkaro", music, PATH_SEPARATOR);
  if (length < 0 || length >= MAX_PATH) {
    lstrcpynA(folder, music, MAX_PATH);
    return ERROR_FILENAME_EXCED_RANGE;
  }
  if (create && !MadeOrThere(folder)) return LastError();
  return ERROR_SUCCESS;
}

DWORD FindRecordFolder(char* folder, BOOL create) {
  if (recordFolderChosen) {
    lstrcpyA(folder, recordFolderChoice);
    return ERROR_SUCCESS;
  }
  const DWORD length = GetEnvironmentVariableA("PLINKARO_RECORD_DIR", folder, MAX_PATH);
  if (length >= MAX_PATH) {
    lstrcpyA(folder, "PLINKARO_RECORD_DIR");
    return ERROR_FILENAME_EXCED_RANGE;
  }
  if (length > 0) return ERROR_SUCCESS;
  if (recordFolderChoice[0]) {
    lstrcpyA(folder, recordFolderChoice);
    return ERROR_SUCCESS;
  }
  return FindDefaultRecordFolder(folder, create);
}
