// Recording: a take runs between two presses and is then saved; the title says what
// is happening.
#pragma once

#include <windows.h>

#define RECORDING_TITLE "Plinkaro - Recording"
#define SAVED_TITLE_PREFIX "Plinkaro - Saved "
#define RECOVERED_TITLE_PREFIX "Plinkaro - Recovered "
// After a save or a recovery the title names the file for a while (one-shot window timer).
#define SAVED_TITLE_TIMER_ID 2
#define SAVED_TITLE_MS 3000
// While a take runs: blocks allocated ahead, and the take cut once it is full.
#define TAKE_TIMER_ID 3
#define TAKE_TIMER_MS 100

#define F7_OPTION_KEY "F7StartsRecording"

// F7 records only when the user turned it on in the menu (off by default: F7 does nothing).
extern BOOL f7StartsRecording;
void LoadF7Option();

// F7 (with the option on) and the menu: starts a take, or ends the running one and saves it.
void ToggleRecording();
// Ends and saves the running take, if any (the window is closing, or F7).
void EndRecording();
// WM_ENDSESSION: the running take is saved without a word on the screen; the result goes
// to the standard error.
void SaveRecordingAtSessionEnd();
// At start: takes that a crash cut short, in the recording folder and the temporary folder,
// are completed; the title names them for a while and the standard error lists them.
void RecoverInterruptedTakes();
// WM_TIMER of the recording's timers.
LRESULT OnRecordingTimer(WPARAM timerId);
