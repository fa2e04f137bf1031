// Skin files from the program's folder and the F6 cycle through them and the built-in skin.
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
// F6: the next skin of the cycle built-in, file 1, ..., file skinCount.
void CycleSkin();
