// The main window's lifecycle and routing through the real window procedure, and the
// application's start-up helpers.
#include "app/command_line.h"
#include "app/main_window.h"
#include "common/program_globals.h"
#include "display/skin.h"
#include "midi/channel_state.h"
#include "window_fixture.h"
#include "winmm/testing/midi_source.h"

namespace {

class MainWindowTest : public WindowTest {
 protected:
  plk::winmm::testing::MidiSource source;
};

TEST_F(MainWindowTest, CreationOpensTheOutputLoadsTheSkinAndSetsTheDefaults) {
  // The output opens with the window; MIDI input only once its first frame is shown.
  EXPECT_EQ(midi.Take(), (std::vector<std::string>{"open", "in open"}));
  source.Play({0x90, 0x3C, 0x64});
  source.Flush();
  EXPECT_EQ(midi.Take(), std::vector<std::string>{"short 90 3c 64"});
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
  EXPECT_EQ(client.right, CLIENT_WIDTH + GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(client.bottom, CLIENT_HEIGHT);
  // Key messages reach the key map, and neither they nor button-ups the default procedure.
  EXPECT_EQ(SendMessageA(mainWindow, WM_KEYDOWN, 'Z', 1), 0);
  EXPECT_EQ(SendMessageA(mainWindow, WM_KEYUP, 'Z', 0xC0000001u), 0);
  EXPECT_EQ(SendMessageA(mainWindow, WM_KEYDOWN, VK_F10, 1), 0);
  EXPECT_EQ(SendMessageA(mainWindow, WM_LBUTTONUP, 0, 0), 0);
  EXPECT_EQ(midi.Take(), (std::vector<std::string>{"short 90 3c 7f", "short 80 3c 7f"}));
}

TEST_F(MainWindowTest, DestructionClosesInputThenOutputWithoutNoteOffsAndQuitsWithZero) {
  Key('Z');
  midi.Take();
  DestroyWindow(mainWindow);
  EXPECT_EQ(midi.Take(), (std::vector<std::string>{"in close", "close"}));
  EXPECT_EQ(memoryDC, nullptr);
  MSG message = {};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
  }
  EXPECT_EQ(message.message, UINT(WM_QUIT));
  EXPECT_EQ(message.wParam, 0u);
}

TEST(ProgramDirectoryTest, IsThePathUpToItsLastSeparator) {
  const char* cases[][2] = {{"/opt/plinkaro/bin/plinkaro", "/opt/plinkaro/bin"},
                            {"plinkaro", "plinkaro"},
                            {"/plinkaro", ""}};
  for (const auto& c : cases) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s", c[0]);
    CutToDirectory(path);
    EXPECT_STREQ(path, c[1]);
  }
  FindProgramDirectory();
  EXPECT_TRUE(std::string(programDirectory).ends_with("/tests"));
}

TEST(CommandLineTest, TheWholeTextNamesTheFileWithQuotesTakenOff) {
  const char* cases[][2] = {{"   ", nullptr},
                            {"\"\"", nullptr},
                            {"  song.mid  ", "song.mid"},
                            {"\"C:\\My Songs\\a b.mid\"", "C:\\My Songs\\a b.mid"},
                            {"\"/tmp/say \"hi\".mid\"", "/tmp/say \"hi\".mid"},
                            {"\"unterminated", "unterminated"}};
  for (const auto& c : cases) {
    char path[MAX_PATH] = "";
    EXPECT_EQ(CommandLineFile(c[0], path) != FALSE, c[1] != nullptr) << c[0];
    if (c[1]) {
      EXPECT_STREQ(path, c[1]);
    }
  }
  const std::string tooLong(MAX_PATH, 'a');
  char path[MAX_PATH];
  EXPECT_FALSE(CommandLineFile(tooLong.c_str(), path));
  EXPECT_TRUE(CommandLineFile(tooLong.substr(1).c_str(), path));
}

}  // namespace
