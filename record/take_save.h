// Where a take's file goes: plinkaro-YYYYMMDD-HHMMSS.mid (the take's start), with -2, -3, ...
// when the name is taken, in the record folder (record_folder.h). The file is
// written under a temporary name in the same folder and renamed once it is complete, so a
// crash never leaves part of a file under the final name.
#pragma once

#include <windows.h>

#include "midi/take_capture.h"

#define SAVE_ERROR_TEXT_SIZE (6 * MAX_PATH)

// The file's path for `copy` (1, 2, ...) of the take's name, with `extension`; FALSE when it
// does not fit in MAX_PATH bytes.
BOOL MakeTakePath(char* path, LPCSTR folder, const SYSTEMTIME* startedAt, DWORD copy,
                  LPCSTR extension);
// Saves the take in `folder` (a path with or without its last separator). Returns
// ERROR_SUCCESS, or the error of the step that failed; `path` receives the saved file's path,
// or after a failure the path that was meant.
DWORD SaveTakeIn(LPCSTR folder, const Take* take, char* path);
// Saves the take in the recording folder; when that fails, saves it in the temporary folder
// instead and tells the user with "Recording Save Error" (in a message box, or in `report`,
// SAVE_ERROR_TEXT_SIZE bytes, when one is given). `path` receives the saved file's path;
// FALSE when the take could not be saved anywhere.
BOOL SaveTake(const Take* take, char* path, char* report);
// What SaveTake does once saving to `failedPath` failed with `error`.
BOOL SaveAfterFailure(const Take* take, LPCSTR failedPath, DWORD error, char* path, char* report);

// The temporary folder with its last separator; empty (the current folder) without one.
void FindTemporaryFolder(char* folder);
// A new take file under the first free name with .part, held without sharing; `path`
// receives the name, `error` why it could not be had.
HANDLE CreateTakePart(LPCSTR folder, const Take* take, char* path, DWORD* error);
// The complete file under the first free final name; the rename never replaces a file.
DWORD RenameToFreeName(LPCSTR part, LPCSTR folder, const Take* take, char* path);
// "Recording Save Error" with both paths and their reasons.
void DescribeSaveError(char* text, LPCSTR failedPath, DWORD error, LPCSTR fallbackPath,
                       DWORD fallbackError);
void ShowSaveError(LPCSTR failedPath, DWORD error, LPCSTR fallbackPath, DWORD fallbackError);
// Tells of it in the box, or in `report` when one is given.
void TellSaveError(char* report, LPCSTR failedPath, DWORD error, LPCSTR fallbackPath,
                   DWORD fallbackError);
