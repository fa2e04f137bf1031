// Skin files from the program's folder and the F6 cycle through them.
#pragma once

#include <windows.h>

void ScanSkinFiles();
HBITMAP LoadSkinFromFile(int index);
void CycleSkin();
