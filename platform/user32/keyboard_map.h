// Virtual-key codes by physical key (its scan code) for the layouts Windows knows as US
// (101/102 keys) and Japanese (106/109 keys), with the lParam bits of key messages.
#pragma once

#include <windows.h>

#include <optional>

namespace plk::user32 {

enum class KeyboardLayout { Us, Jis };

struct KeyCode {
  int virtualKey = 0;  // 0: a key Windows gives no virtual-key code for
  int scanCode = 0;    // set 1, as in lParam bits 16-23
  bool extended = false;
};

KeyCode MapScanCode(KeyboardLayout layout, int scanCode, bool extended);
// The physical key that produces `virtualKey` (the first in table order).
std::optional<KeyCode> FindVirtualKey(KeyboardLayout layout, int virtualKey);

// JIS when the host keymap puts ':' on the key right of ';' (X11 "jp"), else US.
KeyboardLayout DetectKeyboardLayout();
KeyboardLayout ActiveKeyboardLayout();
void SetActiveKeyboardLayout(KeyboardLayout layout);

// lParam of WM_KEYDOWN/WM_KEYUP: repeat count 1, scan code, extended bit 24, previous
// state in bit 30 (set for an auto-repeat and for every key-up), transition in bit 31.
LPARAM KeyMessageLParam(const KeyCode& key, bool down, bool repeat);
// VK_LSHIFT/VK_RSHIFT etc. for a generic modifier, told apart as Windows does (the
// right Shift has its own scan code; right Ctrl and Alt are extended keys).
int SideSpecificKey(int virtualKey, LPARAM lParam);

}  // namespace plk::user32
