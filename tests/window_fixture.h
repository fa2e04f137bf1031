// The real main window, created headless (SDL's dummy video driver) with the MIDI output
// on the in-memory recorder and message boxes collected instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/program_globals.h"
#include "user32/testing/user32_testing.h"
#include "winmm/testing/midi_recorder.h"

namespace user32 = plk::user32::testing;

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Dispatches every pending message as the program's loop does, paints and due timers
  // included.
  void Pump();
  // One tick of the redraw timer.
  void Tick();
  // Client-area pixel as 0xRRGGBB.
  DWORD Pixel(int x, int y) { return user32::PixelAt(mainWindow, x, y); }
  void Key(int virtualKey, bool down = true);
  void ResizeClient(int width, int height);
  // The one message box shown since the last look, as "text|caption|type" ("" for none).
  std::string TakeMessageBox();

  plk::winmm::testing::MidiRecorder midi;
};

inline constexpr DWORD WHITE = 0xFFFFFF, GRAY = 0x808080, LAVENDER = 0xC0C0FF;
