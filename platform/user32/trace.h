// PLINKARO_TRACE=user32 prints window messages and decisions to stderr.
#pragma once

#include <windows.h>

namespace plk::user32 {

bool TraceEnabled();
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void TraceMessage(const char* how, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plk::user32
