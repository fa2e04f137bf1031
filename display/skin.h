// The skin: one bitmap with a released image, a pressed image and a mask for each of
// the four key shapes, held selected in a memory DC that every key picture comes from.
#pragma once

#include <windows.h>

#define SKIN_RESOURCE_ID 101

extern HDC memoryDC;
extern int skinIndex;          // 0: built-in; k >= 1: the k-th skin file
extern HBITMAP skinBitmap;     // null after a failed load
extern HBITMAP initialBitmap;  // what memoryDC held when it was created

void CreateMemoryDC();
void DeleteMemoryDC();  // also deletes the skin bitmap

HBITMAP LoadSkinFromResource(HINSTANCE module, int id);
// Selects skin `index` into the memory DC: the built-in one for 0, else a skin file.
void LoadSkin(int index);
// Switches to skin `index` (0: built-in, k: the k-th file; anything else: built-in),
// repainting every row; a file that fails to load is reported as F6 reports it.
void SwitchSkin(int index);
// F6: the next skin of the cycle built-in, file 1, ..., file skinCount.
void CycleSkin();
