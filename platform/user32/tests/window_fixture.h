// A window class whose procedure records every message and paints its update region in
// one colour, for checking what user32 sends and where painting lands.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

struct Recorded {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What the recording procedure saw and how it answers.
namespace recording {
extern std::vector<Recorded> log;
extern COLORREF paintColour;  // WM_PAINT fills the client area with it (clipped by BeginPaint)
extern RECT lastPaint;        // rcPaint of the last WM_PAINT
extern LRESULT createResult;  // WM_CREATE's answer
}  // namespace recording

class User32Test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // WS_OVERLAPPEDWINDOW plus `extraStyle`, outer 480 x 768, not yet shown.
  static HWND CreateMain(DWORD extraStyle = WS_VSCROLL);
  static HWND CreateChild(HWND parent, int x, int y, int width, int height, int id = 0);
  // Messages of one kind received so far, in order.
  static std::vector<Recorded> Received(UINT message);
  static std::vector<UINT> MessagesFor(HWND window);
};

constexpr const char* kRecordingClass = "RecordingWindow";
