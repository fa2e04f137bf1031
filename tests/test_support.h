// What the tests of the program's parts share: a clean live-play state with the MIDI output
// on the platform's in-memory recorder, MIDI calls, redraw commands and bytes as short
// text, a recorder in the drain's table of drawing, and files in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "winmm/testing/midi_recorder.h"

using Bytes = std::vector<std::uint8_t>;

// No song, default channels, an empty redraw queue and no key down; the MIDI output opened
// on the recorder. Playback is stopped and the song released at the end.
class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // MIDI calls since the last take, without the opening: short messages by their three
  // bytes, "long f0 7e f7", "reset", "close", "open", joined by ", ".
  std::string TakeMidi();
  // The pending redraw commands, oldest first, as "header 2, key 0 60, row 4"; the queue
  // is emptied.
  std::string TakeRedraws();
  void Forget() {
    TakeMidi();
    TakeRedraws();
  }
  // Key messages as the window gets them; Shift also sets the key state they read.
  void KeyDown(int virtualKey, bool repeat = false);
  void KeyUp(int virtualKey);

  plk::winmm::testing::MidiRecorder midi;
};

// While it lives, timeSetEvent starts no thread and timeGetTime answers `now`.
struct ManualClock {
  ManualClock();
  ~ManualClock();
  // Moves the time on by `ms` and fires the multimedia timers once.
  void Step(DWORD ms);
  DWORD now = 1000;
};

// The messages that set every channel's instrument to 0, as TakeMidi shows them.
std::string AllInstrumentsZero();
// "row 0, row 1, ..., row 15".
std::string AllRows();

// While it lives, the drain records what it is asked to draw, in TakeRedraws' form, and
// runs `duringDraw` (when set) inside every drawing call.
struct DrawRecorder {
  DrawRecorder();
  ~DrawRecorder();
  std::string Take();
  std::vector<std::string> calls;
  std::function<void()> duringDraw;
};

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);
// Writes `bytes` to `name` in a temporary folder of this process; returns the path.
std::string WriteTestFile(const Bytes& bytes, const std::string& name);
// A new empty folder in the temporary folder; the caller removes it.
std::string MakeTempFolder();
// The events of a one-track file as the program's loader reads them, each as "<tick> <hex
// bytes>" ("0 ff 51 03 07 a1 20", "12 90 3c 7f").
std::vector<std::string> FileEvents(const std::string& path);
// Stops playback; the song state as before any load.
void ResetSongState();
