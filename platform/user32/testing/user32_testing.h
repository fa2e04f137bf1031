// Test seams of user32: input injected as the host would deliver it, a stepped message
// loop, window timers fired on demand or on a clock the test moves, readable window
// pixels; message boxes in message_boxes.h. Tests run on the host's headless driver;
// everything here works without a display.
#pragma once

#include <windows.h>

#include "gdi32/window_surface.h"
#include "user32/testing/message_boxes.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace plk::user32::testing {

// Input goes through the queue like real input: it is addressed, and GetKeyState
// changes, only when the message is taken from the queue.
// A key-down or key-up for the focus window (false when no window has the focus), with the
// scan code of the active layout, repeat count 1, bit 30 for a repeat or a key-up, bit 31
// for a key-up; WM_SYSKEY* while Alt is held (through earlier injected keys) and for F10.
bool InjectKey(int virtualKey, bool down, bool repeat = false);
// Left button at client point (x, y) of `window`; the message goes to the capture window
// or the deepest shown child there when it is taken, in its client coordinates.
void InjectMouseButton(HWND window, int x, int y, bool down);
void InjectClick(HWND window, int x, int y);
// WM_MOUSEWHEEL with `delta` (120 per notch) to `window`.
void InjectWheel(HWND window, int delta);
// The left button on the vertical scroll bar of a top-level window, at y pixels below the
// top of the client area.
enum class ScrollBarMouse { Press, Drag, Release };
void InjectScrollBarMouse(HWND window, int y, ScrollBarMouse action);
// WM_DROPFILES as a drop on `window` would give; false when it does not accept files.
bool InjectDrop(HWND window, std::vector<std::string> files);

// Dispatches every queued message and every pending WM_PAINT, never timers, until the
// queue is idle; leaves WM_QUIT in the queue. With a dialog, messages pass through
// IsDialogMessageA first while the focus is not on the dialog itself, as the program's
// loop does. Returns the number of messages dispatched.
int RunUntilIdle(HWND dialog = nullptr);
// Sends WM_TIMER for each timer of `window` now (DispatchMessageA, so the pixels are
// presented after each). Returns the number of timers fired.
int FireTimers(HWND window);
// Timer deadlines follow a clock that only AdvanceClock moves.
void UseManualClock();
void AdvanceClock(std::chrono::milliseconds step);
void UseRealClock();

// The client pixels of a window (a child's lie inside its top-level window's pixels).
plk::gdi::PixelSurface ClientPixels(HWND window);
std::uint32_t PixelAt(HWND window, int x, int y);  // client coordinates, 0x00RRGGBB
// The whole pixels of a top-level window: client area, then the scroll bar at its right.
plk::gdi::PixelSurface WindowPixels(HWND window);

// Destroys every window, empties the thread's queue and timers, clears the focus and the
// key state: a clean start for the next test.
void ResetWindows();

}  // namespace plk::user32::testing
