#include "record/recording.h"

#include "common/path_names.h"
#include "common/program_globals.h"
#include "common/settings.h"
#include "midi/take_capture.h"
#include "record/live_take.h"
#include "record/record_folder.h"
#include "record/take_file.h"
#include "record/take_recovery.h"
#include "record/take_save.h"

namespace {

// A save may show a message box, whose loop runs the window's timers meanwhile.
BOOL cuttingTake = FALSE;

// A take without a message is not saved. Returns TRUE when a file was written; `report`
// as SaveTake's.
BOOL SaveAndRelease(Take* take, char* path, char* report) {
  const BOOL saved = FinishLiveTake(take, path, report);
  ReleaseTake(take);
  return saved;
}

void CutFullTake() {
  cuttingTake = TRUE;
  Take* full = CutTake();
  char path[MAX_PATH];
  if (full) {
    StartLiveTake(RunningTake());
    SaveAndRelease(full, path, nullptr);
  }
  cuttingTake = FALSE;
}

// A line on the standard error, where there is one (a program started from a terminal or
// with its output redirected).
void WriteErrorLine(LPCSTR text) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
  WriteFile(error, text, lstrlenA(text), &written, nullptr);
  WriteFile(error, "\n", 1, &written, nullptr);
}

void ShowTitleFor(LPCSTR prefix, LPCSTR text) {
  char title[MAX_PATH + 64];
  lstrcpyA(title, prefix);
  lstrcatA(title, text);
  SetWindowTextA(mainWindow, title);
  SetTimer(mainWindow, SAVED_TITLE_TIMER_ID, SAVED_TITLE_MS, nullptr);
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
  Take* take = StartTake();
  if (!take) return;
  StartLiveTake(take);
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
  if (SaveAndRelease(take, path, nullptr)) ShowTitleFor(SAVED_TITLE_PREFIX, FileNameOf(path));
}

// Nothing is shown: the session may end at any moment after this returns, and the display
// may be gone already.
void SaveRecordingAtSessionEnd() {
  Take* take = EndTake();
  if (!take) return;
  KillTimer(mainWindow, TAKE_TIMER_ID);
  char path[MAX_PATH];
  char report[SAVE_ERROR_TEXT_SIZE] = "";
  char line[MAX_PATH + 64];
  const BOOL saved = SaveAndRelease(take, path, report);
  if (report[0]) WriteErrorLine(report);
  if (saved) {
    wsprintfA(line, "plinkaro: the take was saved as %s", path);
    WriteErrorLine(line);
  }
}

void RecoverInterruptedTakes() {
  char folders[2][MAX_PATH];
  FindTemporaryFolder(folders[1]);
  const BOOL haveRecordFolder = FindRecordFolder(folders[0], FALSE) == ERROR_SUCCESS;
  DWORD count = 0;
  char path[MAX_PATH] = "";
  char line[MAX_PATH + 64];
  for (int i = haveRecordFolder ? 0 : 1; i < 2; i++) {
    const DWORD found = RecoverTakesIn(folders[i], path);
    if (found) {
      wsprintfA(line, "plinkaro: a take that was cut short is recovered as %s", path);
      WriteErrorLine(line);
    }
    count += found;
  }
  if (count == 1) ShowTitleFor(RECOVERED_TITLE_PREFIX, FileNameOf(path));
  if (count > 1) {
    wsprintfA(line, "%lu takes", count);
    ShowTitleFor(RECOVERED_TITLE_PREFIX, line);
  }
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
