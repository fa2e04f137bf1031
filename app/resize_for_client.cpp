#include "app/main_window.h"

BOOL ResizeForClient(HWND window, int width, int height) {
  RECT outer;
  RECT client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const int clientWidth = client.right - client.left;
  const int clientHeight = client.bottom - client.top;
  if (clientWidth == width && clientHeight == height) return 0;
  return MoveWindow(window, outer.left, outer.top, outer.right - outer.left + width - clientWidth,
                    outer.bottom - outer.top + height - clientHeight, TRUE);
}
