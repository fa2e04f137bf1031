// The right-click menu (also Shift+F10): every choice beyond the keys, built afresh from a
// table each time it opens.
#pragma once

#include <windows.h>

// Command ids: clear of IDOK, IDCANCEL and the value editor's commands. Each range is
// given to one list of the menu.
#define MENU_OPEN_SONG 1000
#define MENU_PLAY_PAUSE 1001
#define MENU_REWIND_AND_PLAY 1002
#define MENU_STOP_AND_RESET 1003
#define MENU_SONG_POSITION 1004
#define MENU_RECORD 1005
#define MENU_CHOOSE_RECORD_FOLDER 1006
#define MENU_OPEN_RECORD_FOLDER 1007
#define MENU_F7_OPTION 1008
#define MENU_ABOUT 1009
#define MENU_RECENT_FIRST 1100  // the recent songs, newest first
#define MENU_SKIN_FIRST 1200    // the built-in skin, then each skin file
#define MENU_TEMPO_FIRST 1300   // each speed of PlaybackPercentTable
#define MENU_JUMP_BACK 1310
#define MENU_JUMP_FORWARD 1311
#define MENU_JUMP_START 1312
#define MENU_LOOP_SONG 1313
#define MENU_PROGRAM_FIRST 1400  // program 0 to 127 (drum kits by their program)
#define MENU_MUTE 1530
#define MENU_SOLO 1531
#define MENU_UNMUTE_ALL 1532
// 1600 on: the MIDI output and input devices.

// The channel under the pointer when the menu opened (from the keyboard: the current one).
extern LONG menuChannel;

// WM_CONTEXTMENU: at the pointer in the client area, or for (-1, -1) over the current
// channel's row; elsewhere (the frame, the scroll bar) it is the default's.
LRESULT OnContextMenu(HWND window, WPARAM wParam, LPARAM lParam);
// Runs one of the menu's commands, as if chosen; FALSE for an id that is none of them.
BOOL RunMenuCommand(UINT command);
// The menu as it would open now; the caller destroys it.
HMENU BuildContextMenu();
