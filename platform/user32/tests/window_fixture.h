// Windows of a class whose procedure records every message and paints its update region
// in one colour, for checking what user32 sends and where painting lands. The tests run on
// the host's headless driver (SDL_VIDEODRIVER=dummy, as CTest sets it).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "user32/testing/user32_testing.h"

#include <utility>
#include <vector>

namespace t = plk::user32::testing;

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
}  // namespace recording

constexpr const char* kRecordingClass = "RecordingWindow";
void RegisterTestClass(const char* name, WNDPROC procedure, UINT style = 0);

class User32Test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // WS_OVERLAPPEDWINDOW plus `extraStyle`, outer 480 x `height`; shown and painted.
  static HWND CreateMain(bool show = true, DWORD extraStyle = WS_VSCROLL, int height = 768);
  static HWND CreateChild(HWND parent, int x, int y, int width, int height,
                          DWORD style = WS_VISIBLE);
  // The next message (WM_NULL for none), dispatched unless `remove` is PM_NOREMOVE.
  static MSG Take(UINT remove = PM_REMOVE);
  // Messages of one kind received so far, in order.
  static std::vector<Recorded> Received(UINT message);
  // The messages of these kinds received so far, in order, with their windows.
  using Sent = std::vector<std::pair<HWND, UINT>>;
  static Sent Messages(std::initializer_list<UINT> kinds);
};

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
