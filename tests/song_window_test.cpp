// Songs in the real window: a file dropped during playback, a broken file, the transport
// keys, and the file named on the command line.
#include "common/program_globals.h"
#include "app/command_line.h"
#include "common/redraw_queue.h"
#include "midi/channel_state.h"
#include "song/song_state.h"
#include "song_test_support.h"
#include "user32/testing/user32_testing.h"
#include "window_fixture.h"
#include "winmm/testing/manual_timers.h"

using plk::smf::File;
using plk::smf::TrackData;
namespace timers = plk::winmm::testing;
namespace user32 = plk::user32::testing;

namespace {

class SongWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    ResetSongState();
    timers::UseManualTimers(true);
    timers::UseManualTime(true);
    timers::SetManualTime(0);
    user32::InterceptMessageBoxes(true);
    WindowTest::SetUp();
  }
  void TearDown() override {
    WindowTest::TearDown();
    user32::InterceptMessageBoxes(false);
    timers::UseManualTime(false);
    timers::UseManualTimers(false);
    ResetSongState();
  }
  void Drop(const std::string& path) {
    ASSERT_TRUE(user32::InjectDrop(mainWindow, {path}));
    Pump();
  }
  void Step(DWORD ms) {
    now += ms;
    timers::SetManualTime(now);
    timers::FireTimers();
  }
  DWORD now = 0;
};

const Bytes kSong = File(480, {TrackData({{1, {0x92, 0x40, 0x50}}, {2000, {0x82, 0x40, 0x00}}})});

TEST_F(SongWindowTest, F5PlaysAndLightsTheSongsNotes) {
  Drop(WriteSongFile(kSong));
  EXPECT_EQ(songState.trackCount, 1u);
  midi.Take();
  Key(VK_F5, true);
  Key(VK_F5, false);
  Step(2);
  EXPECT_EQ(midi.Take(), std::vector<std::string>{"short 92 40 50"});
  EXPECT_EQ(ReadHeldCount(2, 0x40), 1u);
  const RedrawCommand& pushed = redrawQueue.slots[(redrawQueue.writeIndex - 1) % REDRAW_QUEUE_SIZE];
  EXPECT_EQ(pushed.kind, DWORD(REDRAW_KEY));
  EXPECT_EQ(pushed.channel, 2u);
  EXPECT_EQ(pushed.key, 0x40u);
  Tick();  // the drain draws what the timer thread pushed
  EXPECT_EQ(PendingRedraws(), 0u);
  EXPECT_TRUE(user32::TakeMessageBoxes().empty());
}

TEST_F(SongWindowTest, ADropDuringPlaybackStopsItBeforeLoading) {
  Drop(WriteSongFile(kSong));
  Key(VK_F5, true);
  Step(2);
  ASSERT_NE(songState.playTimerId, 0u);
  const Bytes other = File(96, {TrackData({{0, {0xC1, 0x07}}}), TrackData({})});
  Drop(WriteSongFile(other, "other.mid"));
  EXPECT_EQ(songState.playTimerId, 0u);  // not started by itself
  EXPECT_EQ(songState.trackCount, 2u);
  EXPECT_EQ(songState.ticksPerQuarter, 96u);
  midi.Take();
  Step(10);
  EXPECT_TRUE(midi.Take().empty());
  // The note of the first song stays held: a drop resets no channel.
  EXPECT_EQ(ReadHeldCount(2, 0x40), 1u);
}

TEST_F(SongWindowTest, ABrokenFileShowsTheLoadErrorAndTheWindowGoesOn) {
  Drop(WriteSongFile(Bytes{'M', 'T', 'h', 'd', 0, 0}, "broken.mid"));
  const auto boxes = user32::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, mainWindow);
  EXPECT_EQ(boxes[0].text, "SMF Load Error");
  EXPECT_EQ(boxes[0].caption, "");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(songState.trackCount, 0u);
  midi.Take();
  Key('Z', true);
  EXPECT_EQ(midi.Take(), std::vector<std::string>{"short 90 3c 7f"});
}

TEST(CommandLineTest, TheWholeTextNamesTheFileWithQuotesTakenOff) {
  struct Case {
    const char* commandLine;
    const char* file;  // null: no file
  };
  const Case cases[] = {
      {"", nullptr},
      {"   ", nullptr},
      {"\"\"", nullptr},
      {"song.mid", "song.mid"},
      {"  song.mid  ", "song.mid"},
      {"C:\\My Songs\\a b.mid", "C:\\My Songs\\a b.mid"},
      {"\"C:\\My Songs\\a b.mid\"", "C:\\My Songs\\a b.mid"},
      {"\"/tmp/say \"hi\".mid\"", "/tmp/say \"hi\".mid"},
      {"\"unterminated", "unterminated"},
  };
  for (const Case& c : cases) {
    char path[MAX_PATH] = "untouched";
    const BOOL found = CommandLineFile(c.commandLine, path);
    EXPECT_EQ(found != FALSE, c.file != nullptr) << c.commandLine;
    if (c.file) {
      EXPECT_STREQ(path, c.file);
    }
  }
  const std::string tooLong(MAX_PATH, 'a');
  char path[MAX_PATH];
  EXPECT_FALSE(CommandLineFile(tooLong.c_str(), path));
  EXPECT_TRUE(CommandLineFile(tooLong.substr(1).c_str(), path));
}

}  // namespace
