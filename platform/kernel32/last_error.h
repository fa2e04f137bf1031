// The calling thread's last-error code, as GetLastError reports it.
#pragma once

#include <windows.h>

namespace plk::kernel32 {

void SetLastErrorCode(DWORD code);
// The Win32 code for an errno value from a failed POSIX call.
DWORD ErrorFromErrno(int error);

}  // namespace plk::kernel32
