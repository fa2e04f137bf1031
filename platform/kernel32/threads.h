// Event and thread handles share CloseHandle with files.
#pragma once

#include <windows.h>

namespace plk::kernel32 {

// Closes `handle` when it is an event's or a thread's (the thread runs on, as on Windows);
// false for any other handle.
bool CloseWaitableHandle(HANDLE handle);

}  // namespace plk::kernel32
