// The settings file: plinkaro.ini beside the executable when one is there (a portable
// copy), else Plinkaro\plinkaro.ini in the user's application data folder. It is read when
// it exists and written only once the user has made a choice in the menu, so a person who
// never opens the menu runs the program exactly as if it kept no settings.
#pragma once

#include <windows.h>

#define SETTINGS_SECTION "Plinkaro"
#define SETTINGS_FILE_NAME "plinkaro.ini"

extern char settingsPath[MAX_PATH];  // empty when no place for the file could be found
// TRUE once the file existed at start or a menu choice was made: writes reach the file.
extern BOOL settingsInUse;

// Finds the file's place; TRUE when a file is there already (settingsInUse is then set).
BOOL FindSettingsFile();
// The value of `key` in `section` (a null key: the section's key names), or "" (a missing
// file or key, or no place for the file).
void ReadSetting(LPCSTR section, LPCSTR key, char* value, DWORD size);
// Writes `value` (null: removes the key) when settings are in use, creating the file's
// folder first. A file that cannot be written is reported once, and the program goes on.
void WriteSetting(LPCSTR section, LPCSTR key, LPCSTR value);
// Removes a whole section, as WriteSetting would write.
void ClearSettingsSection(LPCSTR section);
