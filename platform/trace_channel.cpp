// Implements: the PLINKARO_TRACE switch shared by the platform's trace channels, and their
// lines, each ending in the steady clock's time in milliseconds.
#include "trace_channel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace plk {

bool TraceChannelEnabled(const char* channel) {
  const char* setting = std::getenv("PLINKARO_TRACE");
  std::string_view list = setting ? setting : "";
  while (!list.empty()) {
    const auto comma = list.find(',');
    if (list.substr(0, comma) == channel) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

void TraceLine(const char* channel, const char* format, std::va_list arguments) {
  std::fprintf(stderr, "%s: ", channel);
  std::vfprintf(stderr, format, arguments);
  // The steady clock's milliseconds end each line, so that traces can time what they show.
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  std::fprintf(stderr, " @%.3f\n", std::chrono::duration<double, std::milli>(now).count());
}

}  // namespace plk
