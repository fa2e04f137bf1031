// Implements: CreateDirectoryA for one new folder (its parent must exist:
// ERROR_PATH_NOT_FOUND; a name already taken, by a folder or a file: ERROR_ALREADY_EXISTS),
// with the default permissions the user's umask leaves.
// Does not implement: security attributes, CreateDirectoryExA, RemoveDirectoryA.
#include "kernel32/last_error.h"

#include <sys/stat.h>

#include <cerrno>

BOOL CreateDirectoryA(LPCSTR pathName, LPVOID) {
  using plk::kernel32::SetLastErrorCode;
  if (!pathName || !*pathName) {
    SetLastErrorCode(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (mkdir(pathName, 0777) == 0) return TRUE;
  switch (errno) {
    case EEXIST: SetLastErrorCode(ERROR_ALREADY_EXISTS); break;
    case ENOENT:
    case ENOTDIR: SetLastErrorCode(ERROR_PATH_NOT_FOUND); break;
    default: SetLastErrorCode(plk::kernel32::ErrorFromErrno(errno));
  }
  return FALSE;
}
