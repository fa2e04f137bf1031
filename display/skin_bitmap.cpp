#include "display/skin_bitmap.h"

HBITMAP MakeCompatibleCopy(HDC referenceDC, HBITMAP source) {
  BITMAP info;
  if (GetObjectA(source, sizeof info, &info) == 0) return nullptr;
  HBITMAP copy = CreateCompatibleBitmap(referenceDC, info.bmWidth, info.bmHeight);
  if (!copy) return nullptr;
  HDC sourceDC = CreateCompatibleDC(nullptr);
  if (!sourceDC) {
    DeleteObject(copy);
    return nullptr;
  }
  HDC copyDC = CreateCompatibleDC(referenceDC);
  if (!copyDC) {
    DeleteObject(copy);
    DeleteDC(sourceDC);
    return nullptr;
  }
  HGDIOBJ previousSource = SelectObject(sourceDC, source);
  HGDIOBJ previousCopy = SelectObject(copyDC, copy);
  const BOOL copied = BitBlt(copyDC, 0, 0, info.bmWidth, info.bmHeight, sourceDC, 0, 0, SRCCOPY);
  SelectObject(sourceDC, previousSource);
  SelectObject(copyDC, previousCopy);
  DeleteDC(sourceDC);
  DeleteDC(copyDC);
  if (copied) return copy;
  DeleteObject(copy);
  return nullptr;
}

HBITMAP ConvertLoadedSkin(HBITMAP first) {
  if (!first) return nullptr;
  HDC screen = GetDC(nullptr);
  if (!screen) {
    DeleteObject(first);
    return nullptr;
  }
  HBITMAP copy = MakeCompatibleCopy(screen, first);
  DeleteObject(first);
  ReleaseDC(nullptr, screen);
  return copy;
}
