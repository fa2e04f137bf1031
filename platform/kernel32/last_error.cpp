// Implements: GetLastError per thread, and the errno → Win32 error mapping for the file
// functions (not found, access denied, invalid handle, no more files; others generic).
// Does not implement: SetLastError as a public function, FormatMessage.
#include "kernel32/last_error.h"

#include <cerrno>

namespace plk::kernel32 {
namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

constexpr DWORD kErrorPathNotFound = 3;
constexpr DWORD kErrorAccessDenied = 5;
constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorGenFailure = 31;

}  // namespace

void SetLastErrorCode(DWORD code) { lastError = code; }

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    default: return kErrorGenFailure;
  }
}

}  // namespace plk::kernel32

DWORD GetLastError(void) { return plk::kernel32::lastError; }
