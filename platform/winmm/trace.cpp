// Implements: the winmm trace channel (PLINKARO_TRACE=winmm), read once per process.
#include "winmm/trace.h"

#include <cstdarg>

#include "trace_channel.h"

namespace plk::winmm {

void Trace(const char* format, ...) {
  static const bool enabled = TraceChannelEnabled("winmm");
  if (!enabled) return;
  std::va_list arguments;
  va_start(arguments, format);
  TraceLine("winmm", format, arguments);
  va_end(arguments);
}

}  // namespace plk::winmm
