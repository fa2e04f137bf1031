#include "app/remembered_choices.h"

#include <cstring>

#include "common/problem_log.h"
#include "common/settings.h"
#include "display/skin.h"
#include "display/skin_files.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "record/record_folder.h"
#include "record/recording.h"
#include "song/recent_songs.h"

namespace {

#define MIDI_OUTPUT_KEY "MidiOutput"
#define MIDI_INPUT_KEY "MidiInput"
#define MIDI_INPUT_CHANNEL_KEY "MidiInputChannel"

// The devices as the file has them: an environment variable may decide instead at start,
// and what the file holds stays until a device is chosen in the menu.
char rememberedOutput[MAXPNAMELEN] = "";
char rememberedInput[MAXPNAMELEN] = "";
char rememberedChannel[16] = "";

BOOL VariableSet(LPCSTR name) { return GetEnvironmentVariableA(name, nullptr, 0) != 0; }

void LoadRememberedDevices(BOOL channelVariableSet) {
  ReadSetting(SETTINGS_SECTION, MIDI_OUTPUT_KEY, rememberedOutput, sizeof rememberedOutput);
  ReadSetting(SETTINGS_SECTION, MIDI_INPUT_KEY, rememberedInput, sizeof rememberedInput);
  ReadSetting(SETTINGS_SECTION, MIDI_INPUT_CHANNEL_KEY, rememberedChannel,
              sizeof rememberedChannel);
  if (!VariableSet("PLINKARO_MIDI_OUT")) lstrcpyA(chosenOutputName, rememberedOutput);
  if (!VariableSet("PLINKARO_MIDI_IN")) lstrcpyA(chosenInputName, rememberedInput);
  if (!channelVariableSet) {
    InterlockedExchange(&followCurrentChannel, std::strcmp(rememberedChannel, "current") == 0);
  }
}

// A file without our section yet, such as the empty plinkaro.ini of a portable copy.
BOOL SettingsAreFresh() {
  char keys[8];
  ReadSetting(SETTINGS_SECTION, nullptr, keys, sizeof keys);
  return keys[0] == '\0';
}

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
  const BOOL channelVariableSet = ReadInputChannelVariable();
  if (!FindSettingsFile() || SettingsAreFresh()) return 0;
  if (!SettingsLookSound()) {
    Report("the settings file %s cannot be read; using the defaults", settingsPath);
    return 0;
  }
  LoadRecentSongs();
  LoadF7Option();
  LoadRecordFolderChoice();
  LoadRememberedDevices(channelVariableSet);
  return RememberedSkinIndex();
}

void RememberDeviceChoices() {
  lstrcpyA(rememberedOutput, chosenOutputName);
  lstrcpyA(rememberedInput, chosenInputName);
  lstrcpyA(rememberedChannel,
           InterlockedCompareExchange(&followCurrentChannel, 0, 0) ? "current" : "keep");
}

void SaveRememberedChoices() {
  settingsInUse = TRUE;
  WriteSetting(SETTINGS_SECTION, F7_OPTION_KEY, f7StartsRecording ? "1" : "0");
  WriteSetting(SETTINGS_SECTION, SKIN_KEY,
               skinIndex > 0 ? SkinList[skinIndex - 1] : BUILT_IN_SKIN_NAME);
  WriteSetting(SETTINGS_SECTION, RECORD_FOLDER_KEY,
               recordFolderChoice[0] ? recordFolderChoice : nullptr);
  WriteSetting(SETTINGS_SECTION, MIDI_OUTPUT_KEY, rememberedOutput[0] ? rememberedOutput : nullptr);
  WriteSetting(SETTINGS_SECTION, MIDI_INPUT_KEY, rememberedInput[0] ? rememberedInput : nullptr);
  WriteSetting(SETTINGS_SECTION, MIDI_INPUT_CHANNEL_KEY,
               rememberedChannel[0] ? rememberedChannel : nullptr);
  SaveRecentSongs();
}
