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

HBITMAP MakeCompatibleCopy(HDC referenceDC, HBITMAP source);
HBITMAP LoadSkinFromResource(HINSTANCE module, int id);
// Converts a freshly loaded bitmap into a screen-compatible copy and deletes the original.
HBITMAP ConvertLoadedSkin(HBITMAP first);
void LoadSkin(int index);
