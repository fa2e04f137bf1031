#include "record/take_save.h"

#include "common/program_globals.h"
#include "record/record_folder.h"
#include "record/take_file.h"

namespace {

#define TAKE_COPY_LIMIT 9999

BOOL IsSeparator(char c) { return c == '\\' || c == '/'; }

BOOL NameTaken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// Why the last call failed; a failure that does not say is still a failure.
DWORD LastError() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

void DescribeError(char* text, DWORD error) {
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, text, MAX_PATH, nullptr);
  if (length == 0) {
    wsprintfA(text, "Error %lu", error);
    return;
  }
  // The system's text ends with a line break.
  char* end = text + length;
  while (end > text && (end[-1] == '\r' || end[-1] == '\n' || end[-1] == ' ')) *--end = '\0';
}

}  // namespace

// The file stays held while it is written (no sharing), so that no other Plinkaro takes
// it for a take that was cut short.
HANDLE CreateTakePart(LPCSTR folder, const Take* take, char* path, DWORD* error) {
  for (DWORD copy = 1; copy <= TAKE_COPY_LIMIT; copy++) {
    if (!MakeTakePath(path, folder, &take->startedAt, copy, ".part")) {
      *error = ERROR_FILENAME_EXCED_RANGE;
      return INVALID_HANDLE_VALUE;
    }
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    *error = file != INVALID_HANDLE_VALUE ? ERROR_SUCCESS : LastError();
    if (!NameTaken(*error)) return file;
  }
  return INVALID_HANDLE_VALUE;
}

DWORD RenameToFreeName(LPCSTR part, LPCSTR folder, const Take* take, char* path) {
  DWORD error = ERROR_ALREADY_EXISTS;
  for (DWORD copy = 1; copy <= TAKE_COPY_LIMIT && NameTaken(error); copy++) {
    if (!MakeTakePath(path, folder, &take->startedAt, copy, ".mid")) {
      return ERROR_FILENAME_EXCED_RANGE;
    }
    error = MoveFileA(part, path) ? ERROR_SUCCESS : LastError();
  }
  return error;
}

void DescribeSaveError(char* text, LPCSTR failedPath, DWORD error, LPCSTR fallbackPath,
                       DWORD fallbackError) {
  char reason[MAX_PATH];
  DescribeError(reason, error);
  wsprintfA(text, "Recording Save Error\n\n%s\n%s\n\n", failedPath, reason);
  if (fallbackError == ERROR_SUCCESS) {
    lstrcatA(text, "The take was saved as\n");
    lstrcatA(text, fallbackPath);
  } else {
    DescribeError(reason, fallbackError);
    lstrcatA(text, "The take could not be saved in the temporary folder either:\n");
    lstrcatA(text, fallbackPath);
    lstrcatA(text, "\n");
    lstrcatA(text, reason);
  }
}

void ShowSaveError(LPCSTR failedPath, DWORD error, LPCSTR fallbackPath, DWORD fallbackError) {
  char text[SAVE_ERROR_TEXT_SIZE];
  DescribeSaveError(text, failedPath, error, fallbackPath, fallbackError);
  MessageBoxA(mainWindow, text, "", MB_OK);
}

void TellSaveError(char* report, LPCSTR failedPath, DWORD error, LPCSTR fallbackPath,
                   DWORD fallbackError) {
  if (report) {
    DescribeSaveError(report, failedPath, error, fallbackPath, fallbackError);
  } else {
    ShowSaveError(failedPath, error, fallbackPath, fallbackError);
  }
}

void FindTemporaryFolder(char* folder) {
  const DWORD length = GetTempPathA(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH) folder[0] = '\0';
}

BOOL MakeTakePath(char* path, LPCSTR folder, const SYSTEMTIME* startedAt, DWORD copy,
                  LPCSTR extension) {
  char name[64];
  char suffix[16] = "";
  if (copy > 1) wsprintfA(suffix, "-%lu", copy);
  wsprintfA(name, "plinkaro-%04u%02u%02u-%02u%02u%02u%s%s", startedAt->wYear, startedAt->wMonth,
            startedAt->wDay, startedAt->wHour, startedAt->wMinute, startedAt->wSecond, suffix,
            extension);
  const DWORD folderLength = lstrlenA(folder);
  const BOOL separate = folderLength > 0 && !IsSeparator(folder[folderLength - 1]);
  if (folderLength + separate + lstrlenA(name) >= MAX_PATH) return FALSE;
  const char separator[] = {PATH_SEPARATOR, '\0'};
  lstrcpyA(path, folder);
  if (separate) lstrcatA(path, separator);
  lstrcatA(path, name);
  return TRUE;
}

DWORD SaveTakeIn(LPCSTR folder, const Take* take, char* path) {
  char intended[MAX_PATH];
  if (!MakeTakePath(intended, folder, &take->startedAt, 1, ".mid")) {
    lstrcpynA(path, folder, MAX_PATH);
    return ERROR_FILENAME_EXCED_RANGE;
  }
  lstrcpyA(path, intended);
  char temporary[MAX_PATH];
  DWORD error = ERROR_SUCCESS;
  HANDLE file = CreateTakePart(folder, take, temporary, &error);
  if (file == INVALID_HANDLE_VALUE) return error;
  if (!WriteTakeFile(file, take) || !FlushFileBuffers(file)) error = LastError();
  if (!CloseHandle(file) && error == ERROR_SUCCESS) error = LastError();
  if (error == ERROR_SUCCESS) error = RenameToFreeName(temporary, folder, take, path);
  if (error != ERROR_SUCCESS) {
    DeleteFileA(temporary);
    lstrcpyA(path, intended);
  }
  return error;
}

BOOL SaveAfterFailure(const Take* take, LPCSTR failedPath, DWORD error, char* path, char* report) {
  char temporaryFolder[MAX_PATH];
  FindTemporaryFolder(temporaryFolder);
  const DWORD fallbackError = SaveTakeIn(temporaryFolder, take, path);
  TellSaveError(report, failedPath, error, path, fallbackError);
  return fallbackError == ERROR_SUCCESS;
}

BOOL SaveTake(const Take* take, char* path, char* report) {
  char folder[MAX_PATH];
  DWORD error = FindRecordFolder(folder, TRUE);
  if (error == ERROR_SUCCESS) {
    error = SaveTakeIn(folder, take, path);
    if (error == ERROR_SUCCESS) return TRUE;
  } else {
    lstrcpyA(path, folder);
  }
  char failedPath[MAX_PATH];
  lstrcpyA(failedPath, path);
  return SaveAfterFailure(take, failedPath, error, path, report);
}
