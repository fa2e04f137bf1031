// The headless main window behind window_fixture.h, and its teardown.
#include "window_fixture.h"

#include <cstdlib>
#include <cstring>

#include "app/main_window.h"
#include "common/program_globals.h"
#include "common/redraw_queue.h"
#include "common/spin_flag.h"
#include "display/scrolling.h"
#include "midi/channel_state.h"
#include "test_support.h"
#include "user32/key_state.h"

void WindowTest::SetUpTestSuite() {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  // The skins of whoever runs the tests stay out of them.
  setenv("XDG_DATA_HOME", "/nonexistent/plinkaro-tests", 1);
  static bool registered = false;
  if (!registered) {
    instance = GetModuleHandleA(nullptr);
    registered = RegisterMainClass(nullptr) != 0;
  }
  ASSERT_TRUE(registered);
}

void WindowTest::SetUp() {
  ResetSongState();
  plk::user32::ResetKeyState();
  std::memset(ChannelTable, 0, sizeof ChannelTable);
  std::memset(&redrawQueue, 0, sizeof redrawQueue);
  PaintLock = QueueLock = DrainLock = 0;
  verticalScroll = 0;
  sustainActive = 0;
  user32::InterceptMessageBoxes(true);
  mainWindow = CreateMainWindow();
  ASSERT_NE(mainWindow, nullptr);
  ShowMainWindow(SW_SHOW);
  Pump();
}

void WindowTest::TearDown() {
  if (mainWindow && IsWindow(mainWindow)) DestroyWindow(mainWindow);
  mainWindow = nullptr;
  user32::ResetWindows();
  user32::InterceptMessageBoxes(false);
  ResetSongState();
}

void WindowTest::Pump() {
  user32::RunUntilIdle(mainWindow);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
    DispatchMessageA(&message);
  }
}

void WindowTest::Tick() {
  SendMessageA(mainWindow, WM_TIMER, REDRAW_TIMER_ID, 0);
  Pump();
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

std::string WindowTest::TakeMessageBox() {
  const auto boxes = user32::TakeMessageBoxes();
  if (boxes.empty()) return "";
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, mainWindow);
  return boxes[0].text + "|" + boxes[0].caption + "|" + std::to_string(boxes[0].type);
}
