// The playback clock and the transport keys, with the time and the timer driven by the
// test: ticks per step, tempo changes, pauses, rewinds and F1's reset sequence.
#include "midi/channel_state.h"
#include "smf/smf_writer.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/song_state.h"
#include "test_support.h"

using plk::smf::Event;
using plk::smf::File;
using plk::smf::TrackData;

namespace {

// Program change n on channel 0 at tick n: each tick's delivery is visible in the log.
Bytes TickMarkerSong(WORD division, DWORD ticks) {
  std::vector<Event> events;
  for (DWORD tick = 1; tick <= ticks; tick++) events.push_back({tick, {0xC0, BYTE(tick)}});
  return File(division, {TrackData(events)});
}

class PlaybackTest : public CoreTest {
 protected:
  void Play(const Bytes& file) {
    ASSERT_TRUE(LoadSmfImage(file.data(), DWORD(file.size())));
    KeyDown(VK_F5);
    ASSERT_NE(songState.playTimerId, 0u);
  }
  // Moves the time on and fires the playback timer once; returns the calls it made.
  std::string StepAfter(DWORD ms) {
    clock.Step(ms);
    return TakeMidi();
  }
  ManualClock clock;
};

TEST_F(PlaybackTest, TheRateIsTicksPerMillisecondIn32Point32) {
  EXPECT_EQ(PlaybackRate(480, 500000), 4123168604ull);  // 0.96 x 2^32, rounded down
  EXPECT_EQ(PlaybackRate(1, 1000), 1ull << 32);
  EXPECT_EQ(PlaybackRate(65535, 1), 65535000ull << 32);  // a tempo of 1: 1000 x division
}

TEST_F(PlaybackTest, WholeTicksAreHandedOverAndTheFractionCarried) {
  Play(TickMarkerSong(480, 12));
  const char* expected[] = {"", "c0 01 00", "c0 02 00", "c0 03 00"};
  for (unsigned step = 1; step <= 4; step++) {
    EXPECT_EQ(StepAfter(1), expected[step - 1]) << "step " << step;
    // 0.96, 0.92, 0.88, 0.84 of a tick are carried.
    EXPECT_EQ(songState.tickAccumulator, 4123168604ull * step - ((step - 1ull) << 32));
  }
  // A late step delivers everything due in it: 5 ms more make 8.64 ticks in all.
  EXPECT_EQ(StepAfter(5), "c0 04 00, c0 05 00, c0 06 00, c0 07 00, c0 08 00");
}

TEST_F(PlaybackTest, TracksAreServedInFileOrderWithinAStep) {
  const std::vector<Event> first{{2, {0x90, 0x3C, 0x40}}, {3, {0x80, 0x3C, 0x40}}};
  const std::vector<Event> second{{1, {0x91, 0x40, 0x40}}, {2, {0x81, 0x40, 0x40}}};
  Play(File(1, {TrackData(first), TrackData(second)}));
  // 1500 ms would give 2.99999 ticks: the rate is rounded down.
  EXPECT_EQ(StepAfter(1501), "90 3c 40, 80 3c 40, 91 40 40, 81 40 40");
}

TEST_F(PlaybackTest, ATempoChangeAppliesFromTheNextStep) {
  // Division 1: at 500000 a tick lasts 500 ms; from tick 1 on the tempo is 1000 us.
  std::vector<Event> track{plk::smf::Tempo(1, 1000)};
  for (DWORD tick = 2; tick <= 4; tick++) track.push_back({tick, {0xC0, BYTE(tick)}});
  Play(File(1, {TrackData(track)}));
  EXPECT_EQ(StepAfter(501), "");  // tick 1: the tempo event
  EXPECT_EQ(songState.tempoMicros, 1000u);
  EXPECT_EQ(StepAfter(2), "c0 02 00, c0 03 00");
}

TEST_F(PlaybackTest, F5PausesAndResumesWithoutAddingTicks) {
  Play(TickMarkerSong(480, 8));
  EXPECT_EQ(StepAfter(3), "c0 01 00, c0 02 00");
  KeyDown(VK_F5);
  EXPECT_EQ(songState.playTimerId, 0u);
  EXPECT_EQ(StepAfter(4000), "");  // no timer runs while paused
  KeyDown(VK_F5);
  EXPECT_EQ(StepAfter(1), "c0 03 00");  // 2.88 + 0.96 ticks
}

TEST_F(PlaybackTest, WithoutADivisionOnlyTheEventsAtTheStartCome) {
  Play(File(0, {TrackData({{0, {0xC0, 0x01}}, {0, {0xC0, 0x02}}, {1, {0xC0, 0x03}}})}));
  EXPECT_EQ(StepAfter(1), "c0 01 00, c0 02 00");
  EXPECT_EQ(StepAfter(100000), "");
}

TEST_F(PlaybackTest, F4StartsOverWithTheDefaultTempoAndLeavesSoundingNotes) {
  Play(File(480,
            {TrackData({plk::smf::Tempo(0, 250000), {1, {0x90, 0x3C, 0x40}}, {2, {0xC0, 0x09}}})}));
  // The first step still runs at 500000 (0.96 tick); the second at 250000 reaches tick 2.
  for (int round = 0; round < 2; round++) {
    EXPECT_EQ(StepAfter(1), "");
    EXPECT_EQ(songState.tempoMicros, 250000u);
    EXPECT_EQ(StepAfter(1), "90 3c 40, c0 09 00");
    KeyDown(VK_F4);
    EXPECT_NE(songState.playTimerId, 0u);
    EXPECT_EQ(songState.tempoMicros, 500000u);
    EXPECT_EQ(songState.tickAccumulator, 0u);
    EXPECT_EQ(ReadHeldCount(0, 0x3C), round + 1u);
  }
}

TEST_F(PlaybackTest, F1StopsSilencesResetsReopensTheOutputAndRewinds) {
  Play(File(480, {TrackData({{0, {0x90, 0x3C, 0x40}}, {0, {0xB5, 0x00, 0x02}}})}));
  StepAfter(1);
  KeyDown(VK_F1);
  EXPECT_EQ(songState.playTimerId, 0u);
  EXPECT_EQ(TakeMidi(), "80 3c 7f, reset, " + AllInstrumentsZero() + ", close, open");
  EXPECT_EQ(ReadInstrument(5), 0u);
  EXPECT_EQ(StepAfter(50), "");
  KeyDown(VK_F5);
  EXPECT_EQ(StepAfter(1), "90 3c 40, b5 00 02");
}

}  // namespace
