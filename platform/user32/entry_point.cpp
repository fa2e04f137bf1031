// Implements: the process entry on hosts without Win32. The display is opened before the
// program starts, so that a program that cannot open a window says so in one line and ends
// with exit code 1 instead of running unseen; then WinMain runs with the one argument
// quoted, as Windows passes a name that has spaces. Fonts start loading in the background
// as soon as the display is open, and work that the first frame does not need waits for it.
// Does not implement: more than one argument, GetCommandLineA, STARTUPINFO's show command.
#include <windows.h>

#include "first_frame.h"
#include "gdi32/font_face.h"
#include "user32/host/host.h"

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE module, HINSTANCE previous, LPSTR commandLine, int showCommand);

int main(int argc, char** argv) {
  std::string failure;
  if (!plk::user32::StartHostVideo(failure)) {
    std::fprintf(stderr, "plinkaro: cannot open a window: %s; set DISPLAY or WAYLAND_DISPLAY\n",
                 failure.c_str());
    return 1;
  }
  // Loads while the window is made. Started before the display's start, it delays that
  // start by more than it saves.
  plk::gdi::PrepareFonts();
  plk::ExpectFirstFrame();
  std::string commandLine;
  if (argc > 1) commandLine.append(1, '"').append(argv[1]).append(1, '"');
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
