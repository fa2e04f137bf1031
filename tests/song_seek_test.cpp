// The transport beyond the keys: the song's tempo map and times, playback speed, chasing
// the channels' state for a jump, and the loop.
#include "midi/channel_state.h"
#include "smf/smf_writer.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/song_chase.h"
#include "song/song_map.h"
#include "song/song_seek.h"
#include "song/song_state.h"
#include "test_support.h"

using plk::smf::Event;
using plk::smf::File;
using plk::smf::SystemExclusive;
using plk::smf::Tempo;
using plk::smf::TrackData;

namespace {

class SongSeekTest : public CoreTest {
 protected:
  void TearDown() override {
    SetPlaybackPercent(100);
    SetSongLoops(FALSE);
    CoreTest::TearDown();
  }
  void Load(const Bytes& file) {
    ASSERT_TRUE(LoadSmfImage(file.data(), DWORD(file.size())));
    Forget();
  }
  void Play(const Bytes& file) { Load(file), StartPlayback(); }
  std::string StepAfter(DWORD ms) {
    clock.Step(ms);
    return TakeMidi();
  }
  ManualClock clock;
};

TEST_F(SongSeekTest, TheTempoMapGivesTheSongsOwnTimes) {
  // One second a quarter for two quarters, then half a second; the longest track decides.
  Load(File(480, {TrackData({Tempo(0, 1000000), Tempo(960, 500000), {1920, {0xC0, 1}}}),
                  TrackData({{59520, {0x91, 0x3C, 0x40}}})}));
  EXPECT_EQ(songMap.lengthTicks, 59520u);
  EXPECT_EQ(songMap.channelsUsed, 3u);
  EXPECT_EQ(SongLengthMillis(), 63000u);
  const unsigned long long times[][2] = {
      {0, 0}, {480, 1000000}, {1440, 2500000}, {59520, 63000000}};
  for (const auto& t : times) {
    EXPECT_EQ(MicrosAtTick(DWORD(t[0])), t[1]);
    EXPECT_EQ(TickAtMicros(t[1]), t[0]);
  }
  EXPECT_EQ(TempoAtTick(959), 1000000u);
  EXPECT_EQ(TempoAtTick(960), 500000u);
  songTick = 960;
  char line[32];
  EXPECT_EQ(std::string(line, FormatSongPosition(line)), "0:02 / 1:03");
}

TEST_F(SongSeekTest, EverySpeedHandsOverExactlyItsShareOfTheTicks) {
  const unsigned long long rate = PlaybackRate(480, 500000);
  for (DWORD percent : PlaybackPercentTable) {
    DWORD carry = 0;
    unsigned long long sum = 0;
    for (int step = 0; step < 100; step++) sum += ScaledTicks(rate, 1, percent, &carry);
    EXPECT_EQ(sum, rate * percent) << percent;  // nothing lost to rounding between steps
  }
  DWORD carry = 0;
  EXPECT_EQ(ScaledTicks(rate, 7, 100, &carry), rate * 7);
}

TEST_F(SongSeekTest, ASpeedChosenDuringPlaybackAppliesFromThereWithoutAJump) {
  std::vector<Event> track{Tempo(0, 1000)};  // division 1: one tick a millisecond
  for (DWORD tick = 1; tick <= 8; tick++) track.push_back({tick, {0xC0, BYTE(tick)}});
  Play(File(1, {TrackData(track)}));
  EXPECT_EQ(StepAfter(1), "");  // the tempo event at tick 0
  SetPlaybackPercent(50);
  EXPECT_EQ(StepAfter(1), "");
  EXPECT_EQ(StepAfter(1), "c0 01 00");
  SetPlaybackPercent(200);
  EXPECT_EQ(StepAfter(1), "c0 02 00, c0 03 00");
  EXPECT_EQ(songTick, 3u);
}

// A song with every kind of state a channel keeps, over two tracks.
Bytes StatefulSong() {
  const std::vector<Event> first{SystemExclusive(0, 0xF0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}),
                                 {0, {0xB0, 0x00, 0x01}},
                                 {0, {0xB0, 0x20, 0x02}},
                                 {0, {0xC0, 0x05}},
                                 {1, {0xB0, 0x07, 0x64}},
                                 {1, {0xB0, 0x07, 0x50}},
                                 {1, {0xB0, 0x65, 0x00}},
                                 {1, {0xB0, 0x64, 0x00}},
                                 {1, {0xB0, 0x06, 0x0C}},
                                 {1, {0xB0, 0x26, 0x00}},
                                 {2, {0xB0, 0x63, 0x01}},
                                 {2, {0xB0, 0x62, 0x08}},
                                 {2, {0xB0, 0x06, 0x40}},
                                 {2, {0xB0, 0x65, 0x7F}},
                                 {2, {0xB0, 0x64, 0x7F}},
                                 {2, {0xB0, 0x06, 0x11}},  // to the null parameter: nowhere
                                 {2, {0xE0, 0x00, 0x50}},
                                 {2, {0xD0, 0x30}},
                                 Tempo(3, 250000),
                                 {3, {0x90, 0x3C, 0x40}},
                                 SystemExclusive(3, 0xF0, {0x43, 0xF7}),
                                 {4, {0xB0, 0x01, 0x20}},
                                 {4, {0xB0, 0x79, 0x00}},
                                 {4, {0xE0, 0x10, 0x40}},
                                 {5, {0xC0, 0x06}},
                                 {5, {0x80, 0x3C, 0x40}},
                                 {6, {0x90, 0x3E, 0x40}}};
  const std::vector<Event> second{{1, {0xC1, 0x10}}, SystemExclusive(2, 0xF0, {0x41, 0xF7})};
  return File(10, {TrackData(first), TrackData(second)});
}

TEST_F(SongSeekTest, AChaseSendsTheStateBeforeTheTargetAndLeavesTheTargetToPlay) {
  Load(StatefulSong());
  ChaseSongTo(5);
  // System exclusive across tracks in time order; then each channel from a controller
  // reset: bank, program, controllers, parameters as they came, bend and pressure (the
  // reset at tick 4 took the modulation and pressure back).
  EXPECT_EQ(TakeMidi(),
            "long f0 7e 7f 09 01 f7, long f0 41 f7, long f0 43 f7, "
            "b0 79 00, b0 00 01, b0 20 02, c0 05 00, b0 07 50, "
            "b0 65 00, b0 64 00, b0 06 0c, b0 26 00, b0 63 01, b0 62 08, b0 06 40, "
            "b0 65 7f, b0 64 7f, e0 10 40, b1 79 00, c1 10 00");
  EXPECT_EQ(ReadInstrument(0), 0x00010205u);
  EXPECT_EQ(ReadHeldCount(0, 0x3C), 0u);  // the note across the target is not struck
  EXPECT_EQ(songState.tempoMicros, 250000u);
  StartPlayback();
  EXPECT_EQ(StepAfter(1), "c0 06 00, 80 3c 40");  // the target's own events, at once
  EXPECT_EQ(StepAfter(25), "90 3e 40");           // 1 tick at 250000 and division 10
}

TEST_F(SongSeekTest, JumpsReleaseWhatSoundsChaseAndPlayOnFromTheTarget) {
  // Division 1 at 500000: a tick is half a second.
  Play(File(1, {TrackData({{0, {0x90, 0x3C, 0x40}},
                           {20, {0xC0, 0x07}},
                           {21, {0x90, 0x40, 0x40}},
                           {40, {0x80, 0x3C, 0x40}}})}));
  EXPECT_EQ(StepAfter(1), "90 3c 40");
  JumpSongBy(JUMP_STEP_MILLIS);
  EXPECT_EQ(TakeMidi(), "80 3c 7f, b0 79 00");
  EXPECT_NE(songState.playTimerId, 0u);
  EXPECT_EQ(SongPositionMillis(), 9500u);  // the target's tick is carried to the next step
  EXPECT_EQ(StepAfter(1), "c0 07 00");
  EXPECT_EQ(StepAfter(500), "90 40 40");
  JumpSongBy(-2 * JUMP_STEP_MILLIS);  // before the start: the start
  EXPECT_EQ(TakeMidi(), "80 40 7f, b0 79 00");
  StopPlayback();
  JumpToSongStart();
  EXPECT_EQ(songState.playTimerId, 0u);  // a stopped song stays stopped
  EXPECT_EQ(SongPositionMillis(), 0u);
}

TEST_F(SongSeekTest, ALoopingSongStartsAgainRightAfterItsEnd) {
  Play(File(1, {TrackData({Tempo(0, 1000), {0, {0xC0, 0x01}}, {3, {0xC0, 0x02}}})}));
  SetSongLoops(TRUE);
  EXPECT_EQ(StepAfter(1), "c0 01 00");
  EXPECT_EQ(StepAfter(2), "");
  // Ticks 3 and 4: the end, then the start and one tick of it in the same step.
  EXPECT_EQ(StepAfter(2), "c0 02 00, c0 01 00");
  EXPECT_EQ(songTick, 1u);
  EXPECT_EQ(songState.tempoMicros, 1000u);
  EXPECT_EQ(StepAfter(2), "c0 02 00, c0 01 00");
  SetSongLoops(FALSE);
  EXPECT_EQ(StepAfter(3), "c0 02 00");
  EXPECT_EQ(StepAfter(10), "");
}

}  // namespace
