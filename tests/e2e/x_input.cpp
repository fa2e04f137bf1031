// What the end-to-end tests need from X11 beyond xdotool:
//   x_input key KEYCODE down|up   a physical key by its X keycode, whatever the layout
//   x_input close WINDOW_ID       a WM_DELETE_WINDOW message, as a window manager's close box
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int PressKey(Display* display, unsigned keycode, bool down) {
  if (!XTestFakeKeyEvent(display, keycode, down ? True : False, CurrentTime)) return 1;
  XSync(display, False);
  return 0;
}

int CloseWindow(Display* display, Window window) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool isKey = argc == 4 && std::strcmp(argv[1], "key") == 0;
  const bool isClose = argc == 3 && std::strcmp(argv[1], "close") == 0;
  if (!isKey && !isClose) {
    std::fprintf(stderr, "usage: x_input key KEYCODE down|up | x_input close WINDOW_ID\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "x_input: cannot open the display\n");
    return 1;
  }
  const unsigned long value = std::strtoul(argv[2], nullptr, 0);
  const int result =
      isKey ? PressKey(display, static_cast<unsigned>(value), std::strcmp(argv[3], "down") == 0)
            : CloseWindow(display, value);
  XCloseDisplay(display);
  return result;
}
