#include "app/main_window.h"

#include "app/context_menu.h"
#include "app/remembered_choices.h"

#include <mmsystem.h>
#include <shellapi.h>

#include "common/problem_log.h"
#include "common/program_globals.h"
#include "common/redraw_queue.h"
#include "common/spin_flag.h"
#include "display/redraw_drain.h"
#include "display/row_drawing.h"
#include "display/scrolling.h"
#include "display/skin.h"
#include "display/skin_files.h"
#include "input/key_map.h"
#include "input/value_editor.h"
#include "midi/channel_state.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "record/recording.h"
#include "song/playback_clock.h"
#include "song/song_state.h"
#include "song/transport.h"

namespace {

// Sets up everything the other parts share, in dependency order (MIDI input opens after
// the first frame, ShowMainWindow). The main window handle is not stored yet, so the
// window comes from the message.
LRESULT OnCreate(HWND window) {
  AcquireSpinFlag(&PaintLock);
  timeBeginPeriod(1);
  ScanSkinFiles();
  // Remembered choices exist only once the menu was used; without them the skin is the
  // built-in one and the devices are the default ones.
  skinIndex = LoadRememberedChoices();
  OpenMidiOutput();
  CreateMemoryDC();
  rowFont = CreateRowFont();
  LoadSkin(skinIndex);
  CreateValueEditor(window, rowFont);
  ResetChannelDefaults();
  FillDrawingTables();
  songState.tempoMicros = DEFAULT_TEMPO_MICROS;
  DragAcceptFiles(window, TRUE);
  SetTimer(window, REDRAW_TIMER_ID, REDRAW_TIMER_MS, nullptr);
  ReleaseSpinFlag(&PaintLock);
  return 0;
}

// Tears down in reverse: first MIDI input and everything else that could still draw or
// play, then the shared objects. Held notes are not silenced before the output closes. A
// take that still runs is saved once the song has stopped adding to it.
LRESULT OnDestroy(HWND window) {
  CloseMidiInputs();
  DragAcceptFiles(window, FALSE);
  StopPlayback();
  EndRecording();
  KillTimer(window, REDRAW_TIMER_ID);
  Sleep(100);
  AcquireSpinFlag(&PaintLock);
  DiscardRedraws();
  CloseMidiOutput();
  DeleteMemoryDC();
  DeleteObject(rowFont);
  rowFont = nullptr;
  DestroyValueEditor();
  timeEndPeriod(1);
  ReleaseSpinFlag(&PaintLock);
  PostQuitMessage(0);
  return 0;
}

// The process may end at any moment after this (at once when the display is gone): the
// take is saved, and every line on stderr so far is passed on before anything else goes.
LRESULT OnEndSession(WPARAM ending) {
  if (!ending) return 0;
  SaveRecordingAtSessionEnd();
  StopProblemLog();
  return 0;
}

}  // namespace

ATOM RegisterMainClass(HICON icon) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = MAIN_CLASS_NAME;
  return RegisterClassExA(&windowClass);
}

HWND CreateMainWindow() {
  return CreateWindowExA(0, MAIN_CLASS_NAME, MAIN_WINDOW_TITLE, WS_OVERLAPPEDWINDOW | WS_VSCROLL,
                         CW_USEDEFAULT, CW_USEDEFAULT, CLIENT_WIDTH, CLIENT_HEIGHT, nullptr,
                         nullptr, instance, nullptr);
}

void ShowMainWindow(int showCommand) {
  ResizeForClient(mainWindow, CLIENT_WIDTH, CLIENT_HEIGHT);
  ShowWindow(mainWindow, showCommand);
  UpdateWindow(mainWindow);
  // Listening starts once the first frame is up: finding the inputs means asking each MIDI
  // system in turn, which may take longer than everything before it.
  OpenMidiInputs();
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy(window);
    case WM_SIZE: return OnSize(lParam);
    case WM_PAINT: return OnPaint();
    case WM_KEYDOWN: return OnKeyDown(wParam, lParam);
    case WM_KEYUP: return OnKeyUp(wParam);
    case WM_COMMAND: return OnCommand(wParam);
    case WM_TIMER: return wParam == REDRAW_TIMER_ID ? OnRedrawTimer() : OnRecordingTimer(wParam);
    case WM_VSCROLL: return OnVScroll(wParam);
    case WM_LBUTTONDOWN: return OnLButtonDown(lParam);
    case WM_MOUSEWHEEL: return OnMouseWheel(wParam);
    case WM_LBUTTONUP: return 0;
    case WM_CONTEXTMENU: return OnContextMenu(window, wParam, lParam);
    case WM_DROPFILES: LoadDroppedFile(reinterpret_cast<HDROP>(wParam)); return 0;
    // Windows ends the process soon after WM_ENDSESSION, without WM_CLOSE or WM_DESTROY.
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION: return OnEndSession(wParam);
    // Closing saves a running take while the window can still own a message box.
    case WM_CLOSE: EndRecording(); return DefWindowProcA(window, message, wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
