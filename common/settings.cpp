#include "common/settings.h"

#include <shlobj.h>

#include <cstdio>

#include "common/problem_log.h"
#include "common/program_globals.h"

char settingsPath[MAX_PATH] = "";
BOOL settingsInUse = FALSE;

namespace {

BOOL writeFailureReported = FALSE;

BOOL FileExists(LPCSTR path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  CloseHandle(file);
  return TRUE;
}

// `folder`, the host's separator and `name` into a MAX_PATH buffer; FALSE when too long.
BOOL JoinName(char* out, LPCSTR folder, LPCSTR name) {
  const int length = std::snprintf(out, MAX_PATH, "%s%c%s", folder, PATH_SEPARATOR, name);
  return length >= 0 && length < MAX_PATH;
}

// Ends `path` at its last separator; FALSE when it has none.
BOOL CutLastName(char* path) {
  char* last = nullptr;
  for (char* p = path; *p; p++) {
    if (*p == PATH_SEPARATOR) last = p;
  }
  if (last) *last = '\0';
  return last != nullptr;
}

// The file's folder and the one above it (the application data folder of a fresh account
// may not exist yet), created before a write; one that is there already stays as it is.
void CreateSettingsFolder() {
  char folder[MAX_PATH];
  lstrcpynA(folder, settingsPath, MAX_PATH);
  if (!CutLastName(folder)) return;
  char parent[MAX_PATH];
  lstrcpyA(parent, folder);
  if (CutLastName(parent)) CreateDirectoryA(parent, nullptr);
  CreateDirectoryA(folder, nullptr);
}

void ReportWriteFailure() {
  if (writeFailureReported) return;
  writeFailureReported = TRUE;
  char text[MAX_PATH + 80];
  wsprintfA(text, "cannot write the settings file %s; choices last until the program ends",
            settingsPath);
  ReportProblem(text);
}

}  // namespace

BOOL FindSettingsFile() {
  settingsPath[0] = '\0';
  char path[MAX_PATH];
  if (JoinName(path, programDirectory, SETTINGS_FILE_NAME) && FileExists(path)) {
    lstrcpyA(settingsPath, path);
  } else {
    char appData[MAX_PATH];
    // S_FALSE: the folder is not there yet, and the first write makes it.
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)) ||
        !JoinName(path, appData, "Plinkaro") || !JoinName(settingsPath, path, SETTINGS_FILE_NAME)) {
      settingsPath[0] = '\0';
      return FALSE;
    }
  }
  settingsInUse = FileExists(settingsPath);
  return settingsInUse;
}

void ReadSetting(LPCSTR section, LPCSTR key, char* value, DWORD size) {
  value[0] = '\0';
  if (settingsPath[0]) GetPrivateProfileStringA(section, key, "", value, size, settingsPath);
}

void WriteSetting(LPCSTR section, LPCSTR key, LPCSTR value) {
  if (!settingsInUse || !settingsPath[0]) return;
  CreateSettingsFolder();
  if (!WritePrivateProfileStringA(section, key, value, settingsPath)) ReportWriteFailure();
}

void ClearSettingsSection(LPCSTR section) { WriteSetting(section, nullptr, nullptr); }
