// Thread handles share CloseHandle with files.
#pragma once

#include <windows.h>

namespace plk::kernel32 {

// Closes `handle` when it is a thread's (the thread runs on, as on Windows); false for any
// other handle.
bool CloseThreadHandle(HANDLE handle);

}  // namespace plk::kernel32
