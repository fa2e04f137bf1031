#include "app/app_state.h"

HINSTANCE instance = nullptr;
HWND mainWindow = nullptr;
char programDirectory[MAX_PATH] = "";
