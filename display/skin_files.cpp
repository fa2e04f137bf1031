#include "display/skin_files.h"

// Placeholders until skin files land (the issue "In-place value editor, mouse channel
// choice, skin files and F6"): no skin file is offered yet, so only the built-in skin
// (index 0) is ever loaded, and F6 does nothing.
void ScanSkinFiles() {}
HBITMAP LoadSkinFromFile(int) { return nullptr; }
void CycleSkin() {}
