// Implements: the user32 trace channel, switched on when PLINKARO_TRACE lists "user32"
// (comma-separated, like "winmm,user32"), with names for the common messages.
// Does not implement: other channels, trace levels.
#include "user32/trace.h"

#include <cstdarg>
#include <cstdio>

#include "trace_channel.h"

namespace plk::user32 {
namespace {

const char* MessageName(UINT message) {
  switch (message) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_SIZE: return "WM_SIZE";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_PAINT: return "WM_PAINT";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_QUIT: return "WM_QUIT";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_COMMAND: return "WM_COMMAND";
    case WM_TIMER: return "WM_TIMER";
    case WM_VSCROLL: return "WM_VSCROLL";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    case WM_DROPFILES: return "WM_DROPFILES";
    default: return nullptr;
  }
}

}  // namespace

bool TraceEnabled() {
  static const bool enabled = TraceChannelEnabled("user32");
  return enabled;
}

void Trace(const char* format, ...) {
  if (!TraceEnabled()) return;
  std::va_list arguments;
  va_start(arguments, format);
  TraceLine("user32", format, arguments);
  va_end(arguments);
}

void TraceMessage(const char* how, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!TraceEnabled() || message == WM_TIMER) return;  // 100 timer ticks a second drown the rest
  const char* name = MessageName(message);
  if (name) {
    Trace("%s %p %s %#lx %#lx", how, static_cast<void*>(window), name,
          static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
  } else {
    Trace("%s %p %#x %#lx %#lx", how, static_cast<void*>(window), message,
          static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
  }
}

}  // namespace plk::user32
