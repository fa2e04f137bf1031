// The real main window, created headless (SDL's dummy video driver) with the MIDI output
// on the in-memory recorder; pixels are read back through the window's own DC.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "winmm/testing/midi_recorder.h"

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Dispatches every pending message, paints included, and runs one redraw tick.
  void Pump();
  void Tick();
  // Client-area pixel as 0xRRGGBB.
  DWORD Pixel(int x, int y);
  void Key(int virtualKey, bool down);
  void ResizeClient(int width, int height);
  int ClientHeight();

  plk::winmm::testing::MidiRecorder midi;
};

inline DWORD Rgb(int r, int g, int b) { return DWORD(r) << 16 | DWORD(g) << 8 | DWORD(b); }
