// The playback clock and the transport keys, with the time and the timer driven by the
// test: ticks per step, pauses, rewinds and F1's reset sequence.
#include "core_fixture.h"
#include "midi/channel_state.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/transport.h"
#include "song_test_support.h"
#include "winmm/testing/manual_timers.h"

using Calls = std::vector<std::string>;
using plk::smf::Event;
using plk::smf::File;
using plk::smf::TrackData;
namespace timers = plk::winmm::testing;

namespace {

// Program change n on channel 0 at tick n: each tick's delivery is visible in the log.
Bytes TickMarkerSong(WORD division, DWORD ticks) {
  std::vector<Event> events;
  for (DWORD tick = 1; tick <= ticks; tick++) events.push_back({tick, {0xC0, BYTE(tick)}});
  return File(division, {TrackData(events)});
}

class PlaybackTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ResetSongState();
    timers::UseManualTimers(true);
    timers::UseManualTime(true);
    SetTime(1000);
  }
  void TearDown() override {
    StopPlayback();
    timers::UseManualTime(false);
    timers::UseManualTimers(false);
    ResetSongState();
    CoreTest::TearDown();
  }
  void Load(const Bytes& file) { ASSERT_TRUE(LoadSmfImage(file.data(), DWORD(file.size()))); }
  void SetTime(DWORD ms) {
    now = ms;
    timers::SetManualTime(ms);
  }
  // Moves the time on and fires the playback timer once; returns the calls it made.
  Calls StepAfter(DWORD ms) {
    SetTime(now + ms);
    timers::FireTimers();
    return TakeMidi();
  }
  DWORD now = 0;
};

TEST_F(PlaybackTest, RateIsTicksPerMillisecondIn32Point32) {
  EXPECT_EQ(PlaybackRate(480, 500000), 4123168604ull);  // 0.96 x 2^32, rounded down
  EXPECT_EQ(PlaybackRate(1, 1000), 1ull << 32);
  EXPECT_EQ(PlaybackRate(65535, 1), 65535000ull << 32);  // a tempo of 1: 1000 x division
  EXPECT_EQ(PlaybackRate(0, 500000), 0ull);
}

TEST_F(PlaybackTest, WholeTicksAreHandedOverAndTheFractionCarried) {
  Load(TickMarkerSong(480, 8));
  TogglePlayback();
  ASSERT_NE(songState.playTimerId, 0u);
  const unsigned long long rate = 4123168604ull;
  const Calls expected[] = {
      {}, {"short c0 01 00"}, {"short c0 02 00"}, {"short c0 03 00"}, {"short c0 04 00"}};
  for (unsigned step = 1; step <= 5; step++) {
    EXPECT_EQ(StepAfter(1), expected[step - 1]) << "step " << step;
    // 0.96, 0.92, 0.88, 0.84, 0.80 of a tick are carried.
    EXPECT_EQ(songState.tickAccumulator, rate * step - ((step - 1ull) << 32));
  }
}

TEST_F(PlaybackTest, ALateStepDeliversEverythingDueInIt) {
  Load(TickMarkerSong(480, 8));
  TogglePlayback();
  EXPECT_EQ(StepAfter(5),
            (Calls{"short c0 01 00", "short c0 02 00", "short c0 03 00", "short c0 04 00"}));
  // A step the timer missed is made up by the next: 10 ms give 9.6 ticks in all.
  EXPECT_EQ(StepAfter(5),
            (Calls{"short c0 05 00", "short c0 06 00", "short c0 07 00", "short c0 08 00"}));
}

TEST_F(PlaybackTest, TracksAreServedInOrderWithinAStep) {
  const std::vector<Event> first{{2, {0x90, 0x3C, 0x40}}, {3, {0x80, 0x3C, 0x40}}};
  const std::vector<Event> second{{1, {0x91, 0x40, 0x40}}, {2, {0x81, 0x40, 0x40}}};
  Load(File(1, {TrackData(first), TrackData(second)}));
  TogglePlayback();
  // 1500 ms would give 2.99999 ticks: the rate is rounded down.
  EXPECT_EQ(StepAfter(1501),
            (Calls{"short 90 3c 40", "short 80 3c 40", "short 91 40 40", "short 81 40 40"}));
}

TEST_F(PlaybackTest, ATempoChangeAppliesFromTheNextStep) {
  // Division 1: at 500000 a tick lasts 500 ms; from tick 1 on the tempo is 1000 us.
  std::vector<Event> track{plk::smf::Tempo(1, 1000)};
  for (DWORD tick = 2; tick <= 4; tick++) track.push_back({tick, {0xC0, BYTE(tick)}});
  Load(File(1, {TrackData(track)}));
  TogglePlayback();
  EXPECT_EQ(StepAfter(501), Calls{});  // tick 1: the tempo event
  EXPECT_EQ(songState.tempoMicros, 1000u);
  EXPECT_EQ(StepAfter(2), (Calls{"short c0 02 00", "short c0 03 00"}));
}

TEST_F(PlaybackTest, PauseAndResumeAddNoTicks) {
  Load(TickMarkerSong(480, 8));
  TogglePlayback();
  EXPECT_EQ(StepAfter(3), (Calls{"short c0 01 00", "short c0 02 00"}));
  const unsigned long long carried = songState.tickAccumulator;
  TogglePlayback();
  EXPECT_EQ(songState.playTimerId, 0u);
  EXPECT_EQ(StepAfter(4000), Calls{});  // no timer runs while paused
  TogglePlayback();
  EXPECT_EQ(songState.tickAccumulator, carried);
  EXPECT_EQ(StepAfter(1), (Calls{"short c0 03 00"}));  // 2.88 + 0.96 ticks
}

TEST_F(PlaybackTest, WithoutASongOrWithoutADivisionStepsDoNothing) {
  TogglePlayback();
  EXPECT_NE(songState.playTimerId, 0u);
  EXPECT_EQ(StepAfter(10), Calls{});
  TogglePlayback();
  EXPECT_EQ(songState.playTimerId, 0u);
  // Division 0: only the events at delta 0 at the start come, on the first step.
  Load(File(0, {TrackData({{0, {0xC0, 0x01}}, {0, {0xC0, 0x02}}, {1, {0xC0, 0x03}}})}));
  TogglePlayback();
  EXPECT_EQ(StepAfter(1), (Calls{"short c0 01 00", "short c0 02 00"}));
  EXPECT_EQ(StepAfter(100000), Calls{});
}

TEST_F(PlaybackTest, RewindAndPlayStartsOverWithTheDefaultTempo) {
  Load(File(480,
            {TrackData({plk::smf::Tempo(0, 250000), {1, {0x90, 0x3C, 0x40}}, {2, {0xC0, 0x09}}})}));
  TogglePlayback();
  // The tempo event comes on the first step, which still runs at 500000 (0.96 tick);
  // the second runs at 250000 and reaches tick 2 (0.96 + 1.92).
  const Calls twoSteps[] = {{}, {"short 90 3c 40", "short c0 09 00"}};
  EXPECT_EQ(StepAfter(1), twoSteps[0]);
  EXPECT_EQ(songState.tempoMicros, 250000u);
  EXPECT_EQ(StepAfter(1), twoSteps[1]);
  RewindAndPlay();
  EXPECT_NE(songState.playTimerId, 0u);
  EXPECT_EQ(songState.tempoMicros, 500000u);
  EXPECT_EQ(songState.tickAccumulator, 0u);
  EXPECT_EQ(ChannelTable[0].heldCount[0x3C], 1u);  // the sounding note is left alone
  EXPECT_EQ(StepAfter(1), twoSteps[0]);
  EXPECT_EQ(StepAfter(1), twoSteps[1]);
}

TEST_F(PlaybackTest, StopAndResetSilencesResetsAndReopensTheOutput) {
  Load(File(480,
            {TrackData({{0, {0x90, 0x3C, 0x40}}, {0, {0xB5, 0x00, 0x02}}, {0, {0xC5, 0x10}}})}));
  TogglePlayback();
  StepAfter(1);
  TakeRedraws();
  StopAndReset();
  EXPECT_EQ(songState.playTimerId, 0u);
  Calls expected{"short 80 3c 7f", "reset"};
  for (int ch = 0; ch < 16; ch++) {
    char status[3][20];
    std::snprintf(status[0], sizeof status[0], "short b%x 00 00", ch);
    std::snprintf(status[1], sizeof status[1], "short b%x 20 00", ch);
    std::snprintf(status[2], sizeof status[2], "short c%x 00 00", ch);
    expected.insert(expected.end(), {status[0], status[1], status[2]});
  }
  expected.insert(expected.end(), {"close", "open"});
  EXPECT_EQ(TakeMidi(), expected);
  EXPECT_EQ(ReadInstrument(5), 0u);
  EXPECT_EQ(songState.readers[0].cursor, songState.readers[0].start);
  // Stopped: time passes without a message; F5 then plays from the start.
  EXPECT_EQ(StepAfter(50), Calls{});
  TogglePlayback();
  EXPECT_EQ(StepAfter(1), (Calls{"short 90 3c 40", "short b5 00 02", "short c5 10 00"}));
}

}  // namespace
