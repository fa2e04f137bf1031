#include "window_fixture.h"

#include <cstdlib>
#include <cstring>

#include "common/program_globals.h"
#include "app/main_window.h"
#include "common/redraw_queue.h"
#include "display/row_drawing.h"
#include "display/scrolling.h"
#include "common/spin_flag.h"
#include "midi/channel_state.h"
#include "user32/key_state.h"

void WindowTest::SetUpTestSuite() {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  static bool registered = false;
  if (!registered) {
    instance = GetModuleHandleA(nullptr);
    registered = RegisterMainClass(nullptr) != 0;
  }
  ASSERT_TRUE(registered);
}

void WindowTest::SetUp() {
  plk::user32::ResetKeyState();
  std::memset(ChannelTable, 0, sizeof ChannelTable);
  std::memset(&redrawQueue, 0, sizeof redrawQueue);
  PaintLock = QueueLock = DrainLock = 0;
  verticalScroll = 0;
  sustainActive = 0;
  mainWindow = CreateMainWindow();
  ASSERT_NE(mainWindow, nullptr);
  ResizeForClient(mainWindow, CLIENT_WIDTH, CLIENT_HEIGHT);
  ShowWindow(mainWindow, SW_SHOW);
  UpdateWindow(mainWindow);
  Pump();
}

void WindowTest::TearDown() {
  if (mainWindow && IsWindow(mainWindow)) DestroyWindow(mainWindow);
  mainWindow = nullptr;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

void WindowTest::Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void WindowTest::Tick() { SendMessageA(mainWindow, WM_TIMER, REDRAW_TIMER_ID, 0); }

DWORD WindowTest::Pixel(int x, int y) {
  HDC dc = GetDC(mainWindow);
  POINT origin;
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  const COLORREF color = GetPixel(dc, x, y);
  SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
  ReleaseDC(mainWindow, dc);
  return Rgb(GetRValue(color), GetGValue(color), GetBValue(color));
}

void WindowTest::Key(int virtualKey, bool down) {
  if (virtualKey == VK_SHIFT) plk::user32::SetKeyStateDown(VK_SHIFT, down);
  SendMessageA(mainWindow, down ? WM_KEYDOWN : WM_KEYUP, virtualKey,
               down ? 0x00000001 : static_cast<LPARAM>(0xC0000001u));
}

void WindowTest::ResizeClient(int width, int height) {
  ResizeForClient(mainWindow, width, height);
  Pump();
}

int WindowTest::ClientHeight() {
  RECT client;
  GetClientRect(mainWindow, &client);
  return client.bottom - client.top;
}
