// The program's one optional argument: a song file to load at start-up.
#pragma once

#include <windows.h>

// The file named by the command line (the text after the program's name) into `path`,
// MAX_PATH bytes. FALSE when none is named or the name does not fit.
BOOL CommandLineFile(LPCSTR commandLine, char* path);
