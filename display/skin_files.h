// Skin files: every .bmp in the program's folder, then in the skins folder installed with
// it (../share/plinkaro/skins) and in the user's ($XDG_DATA_HOME/plinkaro/skins, by
// default ~/.local/share/plinkaro/skins), 16 at most.
#pragma once

#include <windows.h>

#define MAX_SKIN_FILES 16

extern char SkinList[MAX_SKIN_FILES][MAX_PATH];  // full paths of the skin files
extern DWORD skinCount;

// Lists the .bmp files of the three folders in that order, each in the order the search
// gives them; a folder that is missing, or whose paths do not fit in MAX_PATH, is skipped.
void ScanSkinFiles();
HBITMAP LoadSkinFromFile(LPCSTR path);
// The skin file of skin index k (1..skinCount); null for any other index.
HBITMAP LoadSkinFromFile(int index);
