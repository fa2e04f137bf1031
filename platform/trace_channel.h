// PLINKARO_TRACE lists the platform's trace channels to switch on, comma-separated
// ("user32,gdi32"); each DLL folder prints its lines on its own channel, on stderr.
#pragma once

#include <cstdarg>

namespace plk {

bool TraceChannelEnabled(const char* channel);
void TraceLine(const char* channel, const char* format, std::va_list arguments);

}  // namespace plk
