#include "display/skin.h"

#include "common/program_globals.h"
#include "common/redraw_queue.h"
#include "common/spin_flag.h"
#include "display/skin_bitmap.h"
#include "display/skin_files.h"

HDC memoryDC = nullptr;
int skinIndex = 0;
HBITMAP skinBitmap = nullptr;
HBITMAP initialBitmap = nullptr;

namespace {

bool initialBitmapKept = false;

}  // namespace

void CreateMemoryDC() {
  HDC screen = GetDC(nullptr);
  memoryDC = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  initialBitmapKept = false;
}

void DeleteMemoryDC() {
  SelectObject(memoryDC, initialBitmap);
  DeleteDC(memoryDC);
  DeleteObject(skinBitmap);
  memoryDC = nullptr;
  skinBitmap = nullptr;
  initialBitmap = nullptr;
}

HBITMAP LoadSkinFromResource(HINSTANCE module, int id) {
  return ConvertLoadedSkin(LoadBitmapA(module, MAKEINTRESOURCEA(id)));
}

void LoadSkin(int index) {
  if (index > 0) {
    skinBitmap = LoadSkinFromFile(index);
  } else {
    skinBitmap = LoadSkinFromResource(instance, SKIN_RESOURCE_ID);
  }
  HGDIOBJ replaced = SelectObject(memoryDC, skinBitmap);
  if (!initialBitmapKept && replaced) {
    initialBitmap = static_cast<HBITMAP>(replaced);
    initialBitmapKept = true;
  }
}

void SwitchSkin(int index) {
  if (index < 0 || static_cast<DWORD>(index) > skinCount) index = 0;
  AcquireSpinFlag(&PaintLock);
  DiscardRedraws();
  SelectObject(memoryDC, initialBitmap);
  DeleteObject(skinBitmap);
  skinIndex = index;
  LoadSkin(skinIndex);
  const BOOL failed = skinIndex > 0 && !skinBitmap;
  for (DWORD row = 0; row < 16; row++) PushRedraw(REDRAW_ROW, row, 0, 0);
  ReleaseSpinFlag(&PaintLock);
  // Shown only now: the box's own message loop may dispatch a paint, which takes PaintLock.
  if (failed) MessageBoxA(mainWindow, "Bitmap Load Error", "", MB_OK);
}

void CycleSkin() {
  SwitchSkin(static_cast<int>((static_cast<DWORD>(skinIndex) + 1) % (skinCount + 1)));
}
