// Implements: GetLastError per thread; the errno → Win32 error mapping for the file
// functions; FormatMessageA with FORMAT_MESSAGE_FROM_SYSTEM for the codes this kernel32
// sets, in Windows' English wording and with its line end.
// Does not implement: SetLastError as a public function, message tables of modules,
// inserts, FORMAT_MESSAGE_ALLOCATE_BUFFER, languages.
#include "kernel32/last_error.h"

#include <cerrno>
#include <cstring>

namespace plk::kernel32 {
namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorWriteProtect = 19;
constexpr DWORD kErrorGenFailure = 31;
constexpr DWORD kErrorDiskFull = 112;

}  // namespace

void SetLastErrorCode(DWORD code) { lastError = code; }

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return kErrorInvalidHandle;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EROFS: return kErrorWriteProtect;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    default: return kErrorGenFailure;
  }
}

}  // namespace plk::kernel32

DWORD GetLastError(void) { return plk::kernel32::lastError; }

namespace {

struct SystemMessage {
  DWORD code;
  const char* text;
};

constexpr SystemMessage kSystemMessages[] = {
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {18, "There are no more files."},
    {19, "The media is write protected."},
    {29, "The system cannot write to the specified device."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {122, "The data area passed to a system call is too small."},
    {126, "The specified module could not be found."},
    {183, "Cannot create a file when that file already exists."},
    {203, "The system could not find the environment option that was entered."},
    {206, "The filename or extension is too long."},
};

constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorInsufficientBuffer = 122;
constexpr DWORD kErrorMessageNotFound = 317;

}  // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size,
                     va_list*) {
  using plk::kernel32::SetLastErrorCode;
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer) {
    SetLastErrorCode(kErrorInvalidParameter);
    return 0;
  }
  for (const SystemMessage& message : kSystemMessages) {
    if (message.code != messageId) continue;
    const DWORD length = static_cast<DWORD>(std::strlen(message.text)) + 2;
    if (length >= size) {
      SetLastErrorCode(kErrorInsufficientBuffer);
      return 0;
    }
    std::memcpy(buffer, message.text, length - 2);
    std::memcpy(buffer + length - 2, "\r\n", 3);
    return length;
  }
  SetLastErrorCode(kErrorMessageNotFound);
  return 0;
}
