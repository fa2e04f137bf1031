// Implements: GetEnvironmentVariableA, GetCurrentDirectoryA and GetTempPathA (TMPDIR, else
// /tmp, ending in a separator as on Windows), with Windows' answers about the buffer: the
// length without the terminator when it fits, else the size that would fit including it;
// GetLocalTime from the host's clock and time zone.
// Does not implement: SetEnvironmentVariableA, SetCurrentDirectoryA, the TMP/TEMP/USERPROFILE
// order of Windows (TMPDIR is this host's way of naming the temporary folder).
#include "kernel32/last_error.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

DWORD CopyOut(const std::string& value, LPSTR buffer, DWORD size) {
  const auto length = static_cast<DWORD>(value.size());
  if (!buffer || length >= size) return length + 1;
  std::memcpy(buffer, value.c_str(), length + 1);
  return length;
}

}  // namespace

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  const char* value = name ? std::getenv(name) : nullptr;
  if (!value) {
    plk::kernel32::SetLastErrorCode(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  return CopyOut(value, buffer, size);
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  char path[4096];
  if (!getcwd(path, sizeof path)) {
    plk::kernel32::SetLastErrorCode(plk::kernel32::ErrorFromErrno(errno));
    return 0;
  }
  return CopyOut(path, buffer, size);
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  const char* folder = std::getenv("TMPDIR");
  std::string path = folder && *folder ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  return CopyOut(path, buffer, size);
}

void GetLocalTime(LPSYSTEMTIME time) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  time->wYear = static_cast<WORD>(local.tm_year + 1900);
  time->wMonth = static_cast<WORD>(local.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  time->wDay = static_cast<WORD>(local.tm_mday);
  time->wHour = static_cast<WORD>(local.tm_hour);
  time->wMinute = static_cast<WORD>(local.tm_min);
  time->wSecond = static_cast<WORD>(local.tm_sec);
  time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}
