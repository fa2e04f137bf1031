#include "record/recording.h"

#include "common/path_names.h"
#include "common/program_globals.h"
#include "common/settings.h"
#include "midi/take_capture.h"
#include "record/take_file.h"
#include "record/take_save.h"

namespace {

// A save may show a message box, whose loop runs the window's timers meanwhile.
BOOL cuttingTake = FALSE;

void ShowSavedName(LPCSTR path) {
  char title[MAX_PATH + sizeof SAVED_TITLE_PREFIX];
  lstrcpyA(title, SAVED_TITLE_PREFIX);
  lstrcatA(title, FileNameOf(path));
  SetWindowTextA(mainWindow, title);
  SetTimer(mainWindow, SAVED_TITLE_TIMER_ID, SAVED_TITLE_MS, nullptr);
}

// A take without a message is not saved. Returns TRUE when a file was written.
BOOL SaveAndRelease(Take* take, char* path) {
  const BOOL saved = CountTakeMessages(take) > 0 && SaveTake(take, path);
  ReleaseTake(take);
  return saved;
}

void CutFullTake() {
  cuttingTake = TRUE;
  Take* full = CutTake();
  char path[MAX_PATH];
  if (full) SaveAndRelease(full, path);
  cuttingTake = FALSE;
}

}  // namespace

BOOL f7StartsRecording = FALSE;

void LoadF7Option() {
  char value[8];
  ReadSetting(SETTINGS_SECTION, F7_OPTION_KEY, value, sizeof value);
  f7StartsRecording = value[0] == '1';
}

void ToggleRecording() {
  if (RunningTake()) return EndRecording();
  if (!StartTake()) return;
  KillTimer(mainWindow, SAVED_TITLE_TIMER_ID);
  SetWindowTextA(mainWindow, RECORDING_TITLE);
  SetTimer(mainWindow, TAKE_TIMER_ID, TAKE_TIMER_MS, nullptr);
}

void EndRecording() {
  Take* take = EndTake();
  if (!take) return;
  KillTimer(mainWindow, TAKE_TIMER_ID);
  SetWindowTextA(mainWindow, MAIN_WINDOW_TITLE);
  char path[MAX_PATH];
  if (SaveAndRelease(take, path)) ShowSavedName(path);
}

LRESULT OnRecordingTimer(WPARAM timerId) {
  if (timerId == SAVED_TITLE_TIMER_ID) {
    KillTimer(mainWindow, SAVED_TITLE_TIMER_ID);
    SetWindowTextA(mainWindow, MAIN_WINDOW_TITLE);
  } else if (timerId == TAKE_TIMER_ID && !cuttingTake) {
    PrepareTakeBlocks();
    if (TakeIsFull()) CutFullTake();
  }
  return 0;
}
