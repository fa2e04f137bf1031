#include "app/remembered_choices.h"

#include <cstring>

#include "common/problem_log.h"
#include "common/settings.h"
#include "display/skin.h"
#include "display/skin_files.h"
#include "record/record_folder.h"
#include "record/recording.h"
#include "song/recent_songs.h"

namespace {

// Every write puts the F7 option in, so a file without a readable one is not ours.
BOOL SettingsLookSound() {
  char value[8];
  ReadSetting(SETTINGS_SECTION, F7_OPTION_KEY, value, sizeof value);
  return (value[0] == '0' || value[0] == '1') && value[1] == '\0';
}

void Report(LPCSTR format, LPCSTR path) {
  char text[2 * MAX_PATH];
  wsprintfA(text, format, path);
  ReportProblem(text);
}

int FindSkinIndex(LPCSTR path) {
  for (DWORD i = 0; i < skinCount; i++) {
    if (std::strcmp(SkinList[i], path) == 0) return static_cast<int>(i + 1);
  }
  return -1;
}

int RememberedSkinIndex() {
  char path[MAX_PATH];
  ReadSetting(SETTINGS_SECTION, SKIN_KEY, path, MAX_PATH);
  if (!path[0] || std::strcmp(path, BUILT_IN_SKIN_NAME) == 0) return 0;
  const int index = FindSkinIndex(path);
  if (index > 0) return index;
  Report("the remembered skin %s is not there; using the built-in skin", path);
  return 0;
}

}  // namespace

int LoadRememberedChoices() {
  if (!FindSettingsFile()) return 0;
  if (!SettingsLookSound()) {
    Report("the settings file %s cannot be read; using the defaults", settingsPath);
    return 0;
  }
  LoadRecentSongs();
  LoadF7Option();
  LoadRecordFolderChoice();
  return RememberedSkinIndex();
}

void SaveRememberedChoices() {
  settingsInUse = TRUE;
  WriteSetting(SETTINGS_SECTION, F7_OPTION_KEY, f7StartsRecording ? "1" : "0");
  WriteSetting(SETTINGS_SECTION, SKIN_KEY,
               skinIndex > 0 ? SkinList[skinIndex - 1] : BUILT_IN_SKIN_NAME);
  WriteSetting(SETTINGS_SECTION, RECORD_FOLDER_KEY,
               recordFolderChoice[0] ? recordFolderChoice : nullptr);
  SaveRecentSongs();
}
