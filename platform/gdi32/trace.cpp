// Implements: the gdi32 trace channel, on when PLINKARO_TRACE lists "gdi32" (a
// comma-separated list such as "user32,gdi32"). Read once per process.
// Does not implement: trace levels, other channels.
#include "gdi32/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace plk::gdi {
namespace {

bool ChannelListed(std::string_view list, std::string_view channel) {
  while (!list.empty()) {
    const auto comma = list.find(',');
    if (list.substr(0, comma) == channel) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

bool TraceEnabled() {
  static const bool enabled = [] {
    const char* list = std::getenv("PLINKARO_TRACE");
    return list && ChannelListed(list, "gdi32");
  }();
  return enabled;
}

void Trace(const char* format, ...) {
  if (!TraceEnabled()) return;
  std::va_list args;
  va_start(args, format);
  std::fputs("gdi32: ", stderr);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
  va_end(args);
}

}  // namespace plk::gdi
