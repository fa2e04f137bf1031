// Implements: the mouse capture of the thread: the window that every mouse button message
// goes to while one of user32's own controls holds a button down; a destroyed window
// holds no capture.
// Does not implement: SetCapture/GetCapture/ReleaseCapture as exported functions,
// WM_CAPTURECHANGED.
#include "user32/mouse_capture.h"

namespace plk::user32 {
namespace {

thread_local HWND captureWindow = nullptr;

}  // namespace

void SetMouseCapture(HWND window) { captureWindow = window; }

HWND MouseCapture() { return IsWindow(captureWindow) ? captureWindow : nullptr; }

}  // namespace plk::user32
