// What the end-to-end tests need from X11 beyond xdotool:
//   x_input key KEYCODE down|up   a physical key by its X keycode, whatever the layout
//   x_input close WINDOW_ID       a WM_DELETE_WINDOW message, as a window manager's close box
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool CloseWindow(Display* display, Window window) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  return XSendEvent(display, window, False, NoEventMask, &event) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 2 ? argv[1] : "";
  Display* display = XOpenDisplay(nullptr);
  if (!display || !((command == "key" && argc == 4) || (command == "close" && argc == 3))) {
    std::fprintf(stderr, "usage: x_input key KEYCODE down|up | x_input close WINDOW_ID\n");
    return 2;
  }
  const unsigned long value = std::strtoul(argv[2], nullptr, 0);
  const bool sent = command == "key"
                        ? XTestFakeKeyEvent(display, static_cast<unsigned>(value),
                                            std::string(argv[3]) == "down", CurrentTime) != 0
                        : CloseWindow(display, value);
  XSync(display, False);
  XCloseDisplay(display);
  return sent ? 0 : 1;
}
