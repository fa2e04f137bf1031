// A dense song played by the real periodic timer while this thread, as the UI thread,
// plays live notes, pauses, rewinds, resets, loads songs and drains the redraw queue as
// fast as it can. Built with ThreadSanitizer it checks the sharing between the threads;
// in every build it checks what each stop leaves behind and F1's final state.
#include <chrono>
#include <random>

#include "common/redraw_queue.h"
#include "display/redraw_drain.h"
#include "input/key_map.h"
#include "midi/channel_state.h"
#include "smf/test_songs.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/song_state.h"
#include "song/transport.h"
#include "test_support.h"

using SoakClock = std::chrono::steady_clock;

namespace {

constexpr auto kSoakTime = std::chrono::milliseconds(1500);
constexpr auto kBetweenSlowActions = std::chrono::milliseconds(80);
const int kNoteKeys[] = {'Z', 'S', 'X', 'D', 'C', 'V', 'G', 'B'};

class PlaybackSoakTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ResetSongState();
  }
  void TearDown() override {
    StopPlayback();
    ResetSongState();
    CoreTest::TearDown();
  }

  // As a file drop does it: stop, let a callback under way finish, load.
  void LoadLikeADrop(const std::string& path) {
    StopPlayback();
    Sleep(STOP_WAIT_MS);
    LoadSongFile(path.c_str());
  }

  // With the timer stopped nothing else writes the counts, so they can be read exactly.
  void ExpectEverythingReleased(const char* after) {
    ASSERT_EQ(songState.playTimerId, 0u) << after;
    for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
      for (int note = 0; note < NOTE_COUNT; note++) {
        ASSERT_EQ(ReadHeldCount(ch, note), 0u) << after << ": channel " << ch << " note " << note;
      }
      ASSERT_EQ(ReadInstrument(ch), 0u) << after << ": channel " << ch;
    }
  }

  // Forgets the calls so far; true when the song's system-exclusive messages were among them.
  bool SongWasPlaying() { return TakeMidi().find("long f0 7e") != std::string::npos; }

  // One of the actions that stop the song or wait, in turn.
  void SlowAction(int turn) {
    switch (turn % 6) {
      case 0: KeyDown(VK_F4); break;
      case 1:
        LoadLikeADrop(denseFile);
        EXPECT_EQ(songState.trackCount, 4u);
        EXPECT_EQ(songState.playTimerId, 0u);
        break;
      case 2:
        TakeMidi();
        KeyDown(VK_F1);
        ExpectEverythingReleased("F1");
        EXPECT_TRUE(TakeMidi().ends_with("close, open"));
        break;
      case 3:
        StopPlayback();
        Sleep(STOP_WAIT_MS);
        EXPECT_FALSE(LoadSmfImage(dense.data(), DWORD(dense.size() / 2)));
        break;
      case 4: LoadLikeADrop(smallFile); break;
      default: KeyDown(VK_F5); break;
    }
  }

  const Bytes dense = plk::smf::DenseSong(4, 12000, /*extras=*/true);
  const std::string denseFile = WriteTestFile(dense, "soak-dense.mid");
  const std::string smallFile = WriteTestFile(
      plk::smf::File(480, {plk::smf::DenseTrackData(100, 2, true)}), "soak-small.mid");
  DrawRecorder drawn;
};

TEST_F(PlaybackSoakTest, LivePlayTransportAndLoadsAgainstTheRunningTimer) {
  std::mt19937 random(5);
  bool keyDown[std::size(kNoteKeys)] = {};
  bool shiftDown = false;
  LoadLikeADrop(denseFile);
  KeyDown(VK_F5);
  const auto end = SoakClock::now() + kSoakTime;
  auto nextSlow = SoakClock::now() + kBetweenSlowActions;
  int turn = 0;
  while (SoakClock::now() < end) {
    const unsigned dice = random() % 100;
    const size_t key = random() % std::size(kNoteKeys);
    if (dice < 60) {
      keyDown[key] ? KeyUp(kNoteKeys[key]) : KeyDown(kNoteKeys[key]);
      keyDown[key] = !keyDown[key];
    } else if (dice < 70) {
      KeyDown('1' + random() % 5);
    } else if (dice < 75) {
      shiftDown = !shiftDown;
      shiftDown ? KeyDown(VK_SHIFT) : KeyUp(VK_SHIFT);
    } else if (dice < 80) {
      KeyDown(VK_F5);  // pause or resume, without waiting
    } else if (dice < 82) {
      KeyDown(VK_F3);
    }
    OnRedrawTimer();
    drawn.calls.clear();
    if (SoakClock::now() >= nextSlow) {
      SlowAction(turn++);
      nextSlow = SoakClock::now() + kBetweenSlowActions;
    }
  }
  ASSERT_GE(turn, 6) << "every slow action ran at least once";

  // The dense song from its start, with notes held both by the song and by the keys.
  if (shiftDown) KeyUp(VK_SHIFT);
  LoadLikeADrop(denseFile);
  KeyDown(VK_F4);
  KeyDown('1');
  for (size_t key = 0; key < std::size(kNoteKeys); key++) {
    if (!keyDown[key]) KeyDown(kNoteKeys[key]);
  }
  // The song's first system-exclusive message is due at once; only its arrival is waited
  // for, however slowly the instrumented build runs.
  const auto patience = SoakClock::now() + std::chrono::seconds(30);
  bool played = false;
  while (!played && SoakClock::now() < patience) {
    Sleep(1);
    played = SongWasPlaying();
  }
  ASSERT_TRUE(played) << "the timer played the song";

  KeyDown(VK_F1);
  ExpectEverythingReleased("the last F1");
  EXPECT_TRUE(TakeMidi().ends_with("reset, " + AllInstrumentsZero() + ", close, open"));
  for (int key : kNoteKeys) KeyUp(key);  // after F1 they find nothing to release
  EXPECT_EQ(TakeMidi(), "");
  ExpectEverythingReleased("the key releases");

  // The painter catches up with everything, the full repaint after any lost command too.
  for (int drain = 0; drain < 4 && (PendingRedraws() != 0 || redrawQueue.commandLost); drain++) {
    OnRedrawTimer();
  }
  EXPECT_EQ(PendingRedraws(), 0u);
  EXPECT_EQ(redrawQueue.commandLost, 0);
}

}  // namespace
