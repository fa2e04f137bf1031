// Implements: GetModuleFileNameA for the running executable (the real POSIX path from
// /proc/self/exe; the program looks for its directory with the host's separator),
// truncated to the buffer with a terminator and ERROR_INSUFFICIENT_BUFFER as on Windows
// Vista and later; GetModuleHandleA(NULL) as the executable's instance handle.
// Does not implement: other modules (DLLs), GetModuleHandleA with a name.
#include "kernel32/last_error.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

constexpr DWORD kErrorInsufficientBuffer = 122;
constexpr DWORD kErrorModNotFound = 126;

// The classic image base of a Windows executable; any non-null value identifies it.
HMODULE ExecutableModule() {
  return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x400000));
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  using plk::kernel32::SetLastErrorCode;
  if (module && module != ExecutableModule()) {
    SetLastErrorCode(kErrorModNotFound);
    return 0;
  }
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0 || !fileName || size == 0) {
    SetLastErrorCode(plk::kernel32::ErrorFromErrno(errno));
    return 0;
  }
  const auto full = static_cast<DWORD>(length);
  const DWORD copied = std::min(full, size - 1);
  std::memcpy(fileName, path, copied);
  fileName[copied] = '\0';
  if (copied < full) {
    SetLastErrorCode(kErrorInsufficientBuffer);
    return size;
  }
  SetLastErrorCode(ERROR_SUCCESS);
  return copied;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName) {
    plk::kernel32::SetLastErrorCode(kErrorModNotFound);
    return nullptr;
  }
  return ExecutableModule();
}
