// Implements: GetEnvironmentVariableA over the process environment: the value and its
// length when it fits the buffer with its terminator, otherwise the size that it needs
// (terminator included) and the buffer untouched; 0 with ERROR_ENVVAR_NOT_FOUND when the
// variable is not set.
// Does not implement: SetEnvironmentVariableA, GetEnvironmentStrings, the W variants.
#include "kernel32/last_error.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kErrorEnvvarNotFound = 203;

}  // namespace

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  const char* value = name ? std::getenv(name) : nullptr;
  if (!value) {
    plk::kernel32::SetLastErrorCode(kErrorEnvvarNotFound);
    return 0;
  }
  const DWORD length = static_cast<DWORD>(std::strlen(value));
  if (!buffer || length >= size) return length + 1;
  std::memcpy(buffer, value, length + 1);
  return length;
}
