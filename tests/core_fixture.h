// A clean live-play state for each test: default channels, an empty redraw queue, no keys
// down, and the MIDI output opened on the platform's in-memory recorder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/redraw_queue.h"
#include "winmm/testing/midi_recorder.h"

struct Redraw {
  DWORD kind, channel, key;
  bool operator==(const Redraw&) const = default;
};
void PrintTo(const Redraw& redraw, std::ostream* out);

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // MIDI calls since the last Take, without the "open".
  std::vector<std::string> TakeMidi();
  // Redraw commands pending in the queue, oldest first; the queue is emptied.
  std::vector<Redraw> TakeRedraws();

  void KeyDown(int virtualKey, bool repeat = false);
  void KeyUp(int virtualKey);
  void SetShift(bool down);

  plk::winmm::testing::MidiRecorder midi;
};

std::vector<Redraw> KeyRedraws(DWORD channel, std::initializer_list<DWORD> keys);
std::vector<Redraw> RowRedraws(std::initializer_list<DWORD> rows);
