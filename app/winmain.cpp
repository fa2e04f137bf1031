#include <windows.h>

#include "common/problem_log.h"
#include "common/program_globals.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "record/recording.h"
#include "song/transport.h"

namespace {

int RunMessageLoop() {
  MSG message;
  for (;;) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      WaitMessage();
      continue;
    }
    if (!GetMessageA(&message, nullptr, 0, 0)) return static_cast<int>(message.wParam);
    // While the value editor has the focus, Enter and Escape become commands of the
    // main window.
    if (GetFocus() != mainWindow && IsDialogMessageA(mainWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int RunProgram(HINSTANCE module, LPSTR commandLine, int showCommand) {
  instance = module;
  HICON icon = LoadIconA(module, MAKEINTRESOURCEA(ICON_RESOURCE_ID));
  if (!RegisterMainClass(icon)) return 0;
  FindProgramDirectory();
  mainWindow = CreateMainWindow();
  // Without a window nothing would ever end the message loop.
  if (!mainWindow) return 0;
  ShowMainWindow(showCommand);
  RecoverInterruptedTakes();
  // A file named at start-up is loaded as if it had been dropped on the window.
  char songPath[MAX_PATH];
  if (CommandLineFile(commandLine, songPath)) LoadSongFile(songPath);
  return RunMessageLoop();
}

}  // namespace

// The lines that reach stderr are kept for the About box from the first to the last.
int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR commandLine, int showCommand) {
  StartProblemLog();
  const int exitCode = RunProgram(module, commandLine, showCommand);
  StopProblemLog();
  return exitCode;
}
