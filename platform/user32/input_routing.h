// Where input messages go. As on Windows, input waits in the queue unaddressed and is
// given its window only when a PeekMessageA or GetMessageA takes it, so a key typed
// behind one that moves the focus reaches the window that has the focus by then.
#pragma once

#include <windows.h>

namespace plk::user32 {

enum class InputRoute : unsigned char {
  kFixed,    // addressed already: close boxes, drops, the scroll bar's own mouse messages
  kFocus,    // keys and the wheel: the focus window, else the top-level window they came to
  kPointer,  // mouse buttons: the capture window, else the window under the pointer
};

// Gives `message` its window (and, for the pointer, that window's client coordinates)
// as things stand now; false when no window that takes input is there to receive it.
bool AddressInput(MSG& message, InputRoute route);

}  // namespace plk::user32
