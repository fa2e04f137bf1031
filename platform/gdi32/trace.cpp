// Implements: the gdi32 trace channel (PLINKARO_TRACE=gdi32), read once per process.
#include "gdi32/trace.h"

#include <cstdarg>

#include "trace_channel.h"

namespace plk::gdi {

bool TraceEnabled() {
  static const bool enabled = TraceChannelEnabled("gdi32");
  return enabled;
}

void Trace(const char* format, ...) {
  if (!TraceEnabled()) return;
  std::va_list arguments;
  va_start(arguments, format);
  TraceLine("gdi32", format, arguments);
  va_end(arguments);
}

}  // namespace plk::gdi
