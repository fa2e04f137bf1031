// Songs in the real window: played notes reach the picture, a file dropped during
// playback, and a broken file.
#include "common/redraw_queue.h"
#include "midi/channel_state.h"
#include "smf/smf_writer.h"
#include "song/song_state.h"
#include "test_support.h"
#include "window_fixture.h"

using plk::smf::File;
using plk::smf::TrackData;

namespace {

class SongWindowTest : public WindowTest {
 protected:
  void Drop(const Bytes& file) {
    ASSERT_TRUE(user32::InjectDrop(mainWindow, {WriteTestFile(file, "dropped.mid")}));
    Pump();
  }
  ManualClock clock;
};

const Bytes kSong = File(480, {TrackData({{1, {0x90, 0x3C, 0x50}}, {2000, {0x80, 0x3C, 0x00}}})});

TEST_F(SongWindowTest, ADroppedSongPlaysWithF5AndItsNotesLightUp) {
  Drop(kSong);
  EXPECT_EQ(songState.trackCount, 1u);
  midi.Take();
  Key(VK_F5);
  clock.Step(2);
  EXPECT_EQ(midi.Take(), std::vector<std::string>{"short 90 3c 50"});
  Tick();  // the drain draws what the timer thread pushed
  EXPECT_EQ(PendingRedraws(), 0u);
  EXPECT_EQ(Pixel(112 + 8, 16 + 26), LAVENDER);
}

TEST_F(SongWindowTest, ADropDuringPlaybackStopsItBeforeLoading) {
  Drop(kSong);
  Key(VK_F5);
  clock.Step(2);
  Drop(File(96, {TrackData({{0, {0xC1, 0x07}}}), TrackData({})}));
  EXPECT_EQ(songState.playTimerId, 0u);  // not started by itself
  EXPECT_EQ(songState.trackCount, 2u);
  midi.Take();
  clock.Step(10);
  EXPECT_TRUE(midi.Take().empty());
  EXPECT_EQ(ReadHeldCount(0, 0x3C), 1u);  // a drop resets no channel
  EXPECT_EQ(TakeMessageBox(), "");
}

TEST_F(SongWindowTest, ABrokenFileShowsTheLoadErrorAndTheWindowGoesOn) {
  Drop(Bytes{'M', 'T', 'h', 'd', 0, 0});
  EXPECT_EQ(TakeMessageBox(), "SMF Load Error||0");
  EXPECT_EQ(songState.trackCount, 0u);
  midi.Take();
  Key('Z');
  EXPECT_EQ(midi.Take(), std::vector<std::string>{"short 90 3c 7f"});
}

}  // namespace
