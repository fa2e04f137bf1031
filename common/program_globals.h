// The program's process-wide globals that every part reads, alive for the whole run.
#pragma once

#include <windows.h>

// Windows paths separate folders with a backslash, this host's with a slash.
#ifdef _WIN32
#define PATH_SEPARATOR '\\'
#else
#define PATH_SEPARATOR '/'
#endif

// The main window's title whenever it has nothing else to say.
#define MAIN_WINDOW_TITLE "Plinkaro"

extern HINSTANCE instance;
// Stored only when CreateWindowExA returns: null while the creation handler runs.
extern HWND mainWindow;
// The executable's folder without a trailing separator; filled before the window exists.
extern char programDirectory[MAX_PATH];
