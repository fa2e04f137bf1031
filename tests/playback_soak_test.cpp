// A dense song played by the real periodic timer while this thread, as the UI thread,
// plays live notes, pauses, rewinds, resets, loads songs and drains the redraw queue as
// fast as it can. Built with ThreadSanitizer it checks the sharing between the threads;
// in every build it checks what each stop leaves behind and F1's final state.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "display/redraw_drain.h"
#include "common/spin_flag.h"
#include "fakes/recording_drawing.h"
#include "input/key_map.h"
#include "midi/channel_state.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/transport.h"
#include "song_test_support.h"

using Calls = std::vector<std::string>;
using plk::smf::Event;
using plk::smf::File;
using plk::smf::TrackData;
using SoakClock = std::chrono::steady_clock;

namespace {

constexpr auto kSoakTime = std::chrono::milliseconds(1500);
constexpr auto kBetweenSlowActions = std::chrono::milliseconds(80);
constexpr WORD kDivision = 480;

// Track t plays channel t: a note on and off on every tick, program and bank changes,
// and a system-exclusive message every 64 ticks. Track 0 also moves the tempo between
// fast and slow, so many events fall due within one step.
std::vector<Event> DenseTrack(BYTE track, DWORD ticks) {
  std::vector<Event> events;
  for (DWORD tick = 0; tick < ticks; tick++) {
    if (track == 0 && tick % 500 == 0) {
      events.push_back(plk::smf::Tempo(tick, tick % 1000 == 0 ? 60000 : 400000));
    }
    if (tick % 64 == 0) {
      events.push_back(
          plk::smf::SystemExclusive(tick, 0xF0, {0x7E, track, BYTE(tick & 0x7F), 0xF7}));
    }
    if (tick % 37 == 0) {
      events.push_back({tick, {BYTE(0xB0 | track), 0x00, BYTE(tick % 3)}});
      events.push_back({tick, {BYTE(0xC0 | track), BYTE(tick & 0x7F)}});
    }
    const BYTE note = BYTE(36 + (tick * 7 + track) % 60);
    events.push_back({tick, {BYTE(0x90 | track), note, 0x50}});
    events.push_back({tick, {BYTE(0x80 | track), note, 0x40}});
  }
  return events;
}

Bytes DenseSong() {
  std::vector<Bytes> tracks;
  for (BYTE track = 0; track < 4; track++) tracks.push_back(TrackData(DenseTrack(track, 6000)));
  return File(kDivision, tracks);
}

// The messages of F1 from the reset of the device on: every channel back to instrument 0,
// then the output closed and opened again.
Calls ResetSequence() {
  Calls calls{"reset"};
  char text[20];
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
    for (const char* format : {"short b%x 00 00", "short b%x 20 00", "short c%x 00 00"}) {
      std::snprintf(text, sizeof text, format, ch);
      calls.push_back(text);
    }
  }
  calls.insert(calls.end(), {"close", "open"});
  return calls;
}

bool WellFormed(const std::string& call) {
  for (const char* prefix : {"short ", "long f0 ", "reset", "open", "close"}) {
    if (call.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

class PlaybackSoakTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ResetSongState();
    fakes::InstallRecordingDrawing();
    fakes::DrawCalls().clear();
    fakes::duringDraw = nullptr;
    PaintLock = QueueLock = DrainLock = 0;
    denseFile = WriteSongFile(dense, "soak-dense.mid");
    smallFile = WriteSongFile(File(kDivision, {TrackData(DenseTrack(2, 50))}), "soak-small.mid");
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
  void LoadBrokenImage(DWORD size) {
    StopPlayback();
    Sleep(STOP_WAIT_MS);
    EXPECT_FALSE(LoadSmfImage(dense.data(), size));
  }
  void PressKey(WPARAM key) { OnKeyDown(key, 0x00000001); }

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

  void CheckAndForgetCalls() {
    for (const std::string& call : TakeMidi()) {
      ASSERT_TRUE(WellFormed(call)) << call;
      songMessagesSeen += call.rfind("long f0 7e", 0) == 0;
    }
  }

  // One of the actions that stop the song or wait, in turn.
  void SlowAction(int turn) {
    switch (turn % 6) {
      case 0: PressKey(VK_F4); break;
      case 1:
        LoadLikeADrop(denseFile);
        EXPECT_EQ(songState.trackCount, 4u);
        EXPECT_EQ(songState.playTimerId, 0u);
        break;
      case 2:
        CheckAndForgetCalls();
        PressKey(VK_F1);
        ExpectEverythingReleased("F1");
        EXPECT_EQ(TakeMidi().back(), "open");
        break;
      case 3: LoadBrokenImage(DWORD(dense.size() / 2)); break;
      case 4: LoadLikeADrop(smallFile); break;
      default: PressKey(VK_F5); break;
    }
  }

  Bytes dense = DenseSong();
  std::string denseFile, smallFile;
  int songMessagesSeen = 0;
};

TEST_F(PlaybackSoakTest, LivePlayTransportAndLoadsAgainstTheRunningTimer) {
  static const WPARAM kNoteKeys[] = {'Z', 'S', 'X', 'D', 'C', 'V', 'G', 'B'};
  static const WPARAM kChannelKeys[] = {'1', '2', '3', '4', '5'};
  std::mt19937 random(5);
  bool keyDown[std::size(kNoteKeys)] = {};
  bool shiftDown = false;

  LoadLikeADrop(denseFile);
  PressKey(VK_F5);
  const auto end = SoakClock::now() + kSoakTime;
  auto nextSlow = SoakClock::now() + kBetweenSlowActions;
  int turn = 0;
  for (unsigned step = 0; SoakClock::now() < end; step++) {
    const unsigned dice = random() % 100;
    const size_t key = random() % std::size(kNoteKeys);
    if (dice < 60) {
      if (keyDown[key]) {
        OnKeyUp(kNoteKeys[key]);
      } else {
        PressKey(kNoteKeys[key]);
      }
      keyDown[key] = !keyDown[key];
    } else if (dice < 70) {
      PressKey(kChannelKeys[random() % std::size(kChannelKeys)]);
    } else if (dice < 75) {
      shiftDown = !shiftDown;
      shiftDown ? KeyDown(VK_SHIFT) : KeyUp(VK_SHIFT);
    } else if (dice < 80) {
      PressKey(VK_F5);  // pause or resume, without waiting
    } else if (dice < 82) {
      PressKey(VK_F3);
    }
    OnRedrawTimer();
    fakes::InstallRecordingDrawing();
    fakes::DrawCalls().clear();
    if (step % 256 == 0) CheckAndForgetCalls();
    if (SoakClock::now() >= nextSlow) {
      SlowAction(turn++);
      nextSlow = SoakClock::now() + kBetweenSlowActions;
    }
  }
  ASSERT_GE(turn, 6) << "every slow action ran at least once";

  // The dense song from its start, with notes held both by the song and by the keys.
  if (shiftDown) KeyUp(VK_SHIFT);
  LoadLikeADrop(denseFile);
  CheckAndForgetCalls();
  songMessagesSeen = 0;
  PressKey(VK_F4);
  PressKey('1');
  for (size_t key = 0; key < std::size(kNoteKeys); key++) {
    if (!keyDown[key]) PressKey(kNoteKeys[key]);
  }
  // The song's first system-exclusive message is due at once; only its arrival is waited
  // for, however slowly the instrumented build runs.
  const auto patience = SoakClock::now() + std::chrono::seconds(30);
  while (songMessagesSeen == 0 && SoakClock::now() < patience) {
    Sleep(1);
    CheckAndForgetCalls();
  }
  ASSERT_GT(songMessagesSeen, 0) << "the timer played the song";

  PressKey(VK_F1);
  ExpectEverythingReleased("the last F1");
  const Calls calls = TakeMidi();
  const Calls reset = ResetSequence();
  ASSERT_GE(calls.size(), reset.size());
  EXPECT_EQ(Calls(calls.end() - reset.size(), calls.end()), reset);
  for (DWORD i = 0; i < songState.trackCount; i++) {
    EXPECT_EQ(songState.readers[i].cursor, songState.readers[i].start) << "track " << i;
  }

  // Keys released after F1 find nothing to release.
  for (WPARAM key : kNoteKeys) OnKeyUp(key);
  EXPECT_EQ(TakeMidi(), Calls{});
  ExpectEverythingReleased("the key releases");

  // The painter catches up with everything, the full repaint after any lost command too.
  for (int drain = 0; drain < 4 && (PendingRedraws() != 0 || redrawQueue.commandLost); drain++) {
    OnRedrawTimer();
  }
  EXPECT_EQ(PendingRedraws(), 0u);
  EXPECT_EQ(redrawQueue.commandLost, 0);
  EXPECT_NE(std::find(fakes::DrawCalls().begin(), fakes::DrawCalls().end(), "row 15"),
            fakes::DrawCalls().end());
}

}  // namespace
