#include "common/program_globals.h"

HINSTANCE instance = nullptr;
HWND mainWindow = nullptr;
char programDirectory[MAX_PATH] = "";
