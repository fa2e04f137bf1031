// Skin files: every .bmp in the program's folder, 16 at most.
#pragma once

#include <windows.h>

#define MAX_SKIN_FILES 16

extern char SkinList[MAX_SKIN_FILES][MAX_PATH];  // full paths of the skin files
extern DWORD skinCount;

// Lists the .bmp files of the program directory, in the order the search gives them.
void ScanSkinFiles();
HBITMAP LoadSkinFromFile(LPCSTR path);
// The skin file of skin index k (1..skinCount); null for any other index.
HBITMAP LoadSkinFromFile(int index);
