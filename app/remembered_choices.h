// What the menu's choices leave in the settings file: the skin, the record folder, the F7
// option and the recent songs (each layer keeps its own; this gathers them).
#pragma once

#include <windows.h>

#define SKIN_KEY "Skin"
#define BUILT_IN_SKIN_NAME "built-in"

// Finds and reads the settings file; a spoilt file gives the defaults and one stderr
// line. Returns the remembered skin's index in the skin list (0: the built-in one).
int LoadRememberedChoices();
// A choice was made in the menu: from now on the file is written, and it is written now.
void SaveRememberedChoices();
