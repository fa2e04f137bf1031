// Where a take's file goes: plinkaro-YYYYMMDD-HHMMSS.mid (the take's start), with -2, -3, ...
// when the name is taken, in the record folder (record_folder.h). The file is
// written under a temporary name in the same folder and renamed once it is complete, so a
// crash never leaves part of a file under the final name.
#pragma once

#include <windows.h>

#include "midi/take_capture.h"

// The file's path for `copy` (1, 2, ...) of the take's name, with `extension`; FALSE when it
// does not fit in MAX_PATH bytes.
BOOL MakeTakePath(char* path, LPCSTR folder, const SYSTEMTIME* startedAt, DWORD copy,
                  LPCSTR extension);
// Saves the take in `folder` (a path with or without its last separator). Returns
// ERROR_SUCCESS, or the error of the step that failed; `path` receives the saved file's path,
// or after a failure the path that was meant.
DWORD SaveTakeIn(LPCSTR folder, const Take* take, char* path);
// Saves the take in the recording folder; when that fails, tells the user with "Recording
// Save Error" and saves it in the temporary folder instead. `path` receives the saved file's
// path; FALSE when the take could not be saved anywhere.
BOOL SaveTake(const Take* take, char* path);
