// The main window's lifecycle and routing, through the real window procedure.
#include <cstring>
#include <string>
#include <vector>

#include "common/program_globals.h"
#include "app/main_window.h"
#include "display/skin.h"
#include "midi/channel_state.h"
#include "window_fixture.h"

using Calls = std::vector<std::string>;

namespace {

class MainWindowTest : public WindowTest {};

TEST_F(MainWindowTest, CreationSetsUpOutputSkinAndDefaults) {
  EXPECT_EQ(midi.Take(), Calls{"open"});
  EXPECT_NE(memoryDC, nullptr);
  EXPECT_NE(skinBitmap, nullptr);
  EXPECT_NE(initialBitmap, nullptr);
  for (const ChannelState& channel : ChannelTable) {
    EXPECT_EQ(channel.baseKey, 60);
    EXPECT_EQ(channel.instrument, 0u);
  }
  EXPECT_EQ(currentChannel, 0);
  // The client was made 480 x 768 with the scroll bar shown; the size handler then hid
  // the bar, which widened the client by the bar's width.
  RECT client;
  GetClientRect(mainWindow, &client);
  EXPECT_EQ(client.right - client.left, CLIENT_WIDTH + GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(client.bottom - client.top, CLIENT_HEIGHT);
}

TEST_F(MainWindowTest, DestructionClosesTheOutputWithoutNoteOffsAndQuitsWithZero) {
  Key('Z', true);
  midi.Take();
  DestroyWindow(mainWindow);
  EXPECT_EQ(midi.Take(), Calls{"close"});
  EXPECT_EQ(memoryDC, nullptr);
  MSG message = {};
  bool quit = false;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      break;
    }
  }
  EXPECT_TRUE(quit);
  EXPECT_EQ(message.wParam, 0u);
  mainWindow = nullptr;
}

TEST_F(MainWindowTest, ResizeForClientLeavesAWindowThatFitsAlone) {
  RECT before;
  GetWindowRect(mainWindow, &before);
  RECT client;
  GetClientRect(mainWindow, &client);
  EXPECT_EQ(ResizeForClient(mainWindow, client.right, client.bottom), 0);
  RECT after;
  GetWindowRect(mainWindow, &after);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  EXPECT_NE(ResizeForClient(mainWindow, 300, 200), 0);
  GetClientRect(mainWindow, &client);
  EXPECT_EQ(client.bottom, 200);
}

TEST_F(MainWindowTest, KeyMessagesAndButtonUpNeverReachTheDefaultProcedure) {
  EXPECT_EQ(SendMessageA(mainWindow, WM_KEYDOWN, VK_F10, 1), 0);
  EXPECT_EQ(SendMessageA(mainWindow, WM_KEYUP, 'Z', 0xC0000001u), 0);
  EXPECT_EQ(SendMessageA(mainWindow, WM_LBUTTONUP, 0, 0), 0);
}

TEST_F(MainWindowTest, ProgramDirectoryIsThePathUpToItsLastSeparator) {
  const struct {
    const char* path;
    const char* directory;
  } cases[] = {{"/opt/plinkaro/bin/plinkaro", "/opt/plinkaro/bin"},
               {"plinkaro", "plinkaro"},
               {"/plinkaro", ""}};
  for (const auto& c : cases) {
    char path[MAX_PATH];
    std::strcpy(path, c.path);
    CutToDirectory(path);
    EXPECT_STREQ(path, c.directory);
  }
  FindProgramDirectory();
  EXPECT_NE(programDirectory[0], '\0');
  EXPECT_EQ(std::strstr(programDirectory, "core_tests"), nullptr);
}

}  // namespace
