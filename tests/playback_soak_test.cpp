// A dense song played by the real periodic timer, and MIDI input arriving as fast as its
// thread takes it, while this thread, as the UI thread, plays live notes, pauses, rewinds,
// resets, loads songs and drains the redraw queue as fast as it can. Built with
// ThreadSanitizer it checks the sharing between the threads; in every build it checks what
// F1 leaves behind.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>

#include "common/redraw_queue.h"
#include "display/redraw_drain.h"
#include "midi/channel_state.h"
#include "midi/midi_input.h"
#include "smf/test_songs.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/song_state.h"
#include "song/transport.h"
#include "test_support.h"
#include "winmm/testing/midi_source.h"

using Clock = std::chrono::steady_clock;

namespace {

const int kNoteKeys[] = {'Z', 'S', 'X', 'D', 'C', 'V', 'G', 'B'};

class PlaybackSoakTest : public CoreTest {
 protected:
  // As a file drop does it: stop and let a callback under way finish first.
  void Load(const Bytes& song, DWORD size) {
    StopPlayback();
    Sleep(STOP_WAIT_MS);
    LoadSmfImage(song.data(), size);
  }
  void TearDown() override {
    feeding = false;
    if (feeder.joinable()) feeder.join();
    CloseMidiInputs();
    CoreTest::TearDown();
  }
  // Batches of notes, instruments and system exclusive on every channel, each batch
  // delivered before the next.
  void Feed() {
    std::mt19937 random(7);
    while (feeding) {
      std::lock_guard<std::mutex> guard(feedLock);
      for (int i = 0; i < 32; i++) {
        const BYTE ch = BYTE(random() % 16), note = BYTE(36 + random() % 48);
        source.Play({BYTE(0x90 | ch), note, 100});
        source.Play({BYTE(i % 8 ? 0xF8 : 0xC0 | ch), BYTE(i)});
        source.Play({BYTE(0x80 | ch), note, 0});
      }
      source.Play({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
      source.Flush();
    }
  }
  // F1. With the timer stopped and the input held back, nothing else writes the counts, so
  // they can be read exactly.
  void ResetAndCheck() {
    std::lock_guard<std::mutex> guard(feedLock);
    TakeMidi();
    KeyDown(VK_F1);
    ASSERT_EQ(songState.playTimerId, 0u);
    for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
      ASSERT_EQ(ReadInstrument(ch), 0u) << "channel " << ch;
      for (int note = 0; note < NOTE_COUNT; note++) ASSERT_EQ(ReadHeldCount(ch, note), 0u) << note;
    }
    EXPECT_TRUE(TakeMidi().ends_with("reset, " + AllInstrumentsZero() + ", close, open"));
  }

  plk::winmm::testing::MidiSource source;
  std::mutex feedLock;
  std::atomic<bool> feeding{true};
  std::thread feeder;
  const Bytes dense = plk::smf::DenseSong(4, 12000, /*extras=*/true);
  const Bytes small = plk::smf::DenseSong(3, 100, /*extras=*/true);
  DrawRecorder drawn;
};

TEST_F(PlaybackSoakTest, LivePlayTransportAndLoadsAgainstTheRunningTimer) {
  const DWORD size = DWORD(dense.size());
  const std::function<void()> slowActions[] = {[&] { KeyDown(VK_F4); },
                                               [&] { Load(dense, size); },
                                               [&] { ResetAndCheck(); },
                                               [&] { Load(dense, size / 2); },
                                               [&] { Load(small, DWORD(small.size())); },
                                               [&] { KeyDown(VK_F5); }};
  std::mt19937 random(5);
  bool keyDown[std::size(kNoteKeys)] = {};
  setenv("PLINKARO_MIDI_IN_CHANNEL", "current", 1);  // input reads the channel keys choose
  OpenMidiInputs();
  unsetenv("PLINKARO_MIDI_IN_CHANNEL");
  feeder = std::thread([this] { Feed(); });
  Load(dense, size);
  KeyDown(VK_F5);
  const auto end = Clock::now() + std::chrono::milliseconds(1500);
  auto nextSlow = Clock::now();
  for (int turn = 0; Clock::now() < end || turn < 6;) {
    const unsigned dice = random() % 100, key = random() % std::size(kNoteKeys);
    if (dice < 60) {
      keyDown[key] ? KeyUp(kNoteKeys[key]) : KeyDown(kNoteKeys[key]);
      keyDown[key] = !keyDown[key];
    } else if (dice < 70) {
      KeyDown(int('1' + random() % 5));
    } else if (dice < 75) {
      dice % 2 ? KeyDown(VK_SHIFT) : KeyUp(VK_SHIFT);
    } else if (dice < 80) {
      KeyDown(VK_F5);  // pause or resume, without waiting
    } else if (dice < 82) {
      KeyDown(VK_F3);
    }
    OnRedrawTimer();
    drawn.calls.clear();
    if (Clock::now() >= nextSlow) {
      slowActions[turn++ % 6]();
      nextSlow = Clock::now() + std::chrono::milliseconds(80);
    }
  }
  feeding = false;
  feeder.join();
  // The dense song from its start, with notes held both by the song and by the keys.
  KeyUp(VK_SHIFT);
  Load(dense, size);
  KeyDown(VK_F4);
  KeyDown('1');
  for (size_t key = 0; key < std::size(kNoteKeys); key++) {
    if (!keyDown[key]) KeyDown(kNoteKeys[key]);
  }
  // The song's first system-exclusive message is due at once; only its arrival is waited
  // for, however slowly the instrumented build runs.
  const auto patience = Clock::now() + std::chrono::seconds(30);
  while (TakeMidi().find("long f0 7e") == std::string::npos && Clock::now() < patience) Sleep(1);
  ASSERT_LT(Clock::now(), patience) << "the timer played the song";
  ResetAndCheck();
  for (int key : kNoteKeys) KeyUp(key);  // after F1 they find nothing to release
  EXPECT_EQ(TakeMidi(), "");
  // The painter catches up with everything, the full repaint after any lost command too.
  for (int drain = 0; drain < 4; drain++) OnRedrawTimer();
  EXPECT_EQ(PendingRedraws() + redrawQueue.commandLost, 0u);
}

}  // namespace
