// The one top-level window: its class, procedure and lifecycle handlers.
#pragma once

#include <windows.h>

#define MAIN_CLASS_NAME "Plinkaro"
#define ICON_RESOURCE_ID 128
#define CLIENT_WIDTH 480
#define CLIENT_HEIGHT 768
#define REDRAW_TIMER_ID 1
#define REDRAW_TIMER_MS 10

ATOM RegisterMainClass(HICON icon);
HWND CreateMainWindow();
// Sizes the main window for its client, shows its first frame and then opens MIDI input.
void ShowMainWindow(int showCommand);
BOOL ResizeForClient(HWND window, int width, int height);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void FindProgramDirectory();
// Ends a path at its last separator; a path without one stays whole.
void CutToDirectory(char* path);
