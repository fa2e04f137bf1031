// Implements: the key state update when a key or button message is removed from the
// queue (generic and left/right modifier keys), and the character a key-down types for
// TranslateMessage: letters, digits, space, Tab, Enter, Escape and Backspace.
// Does not implement: characters of shifted digits and OEM punctuation (the layout's
// symbols), dead keys, WM_UNICHAR, ToAscii.
#include "user32/keyboard.h"

#include "user32/key_state.h"
#include "user32/keyboard_map.h"

namespace plk::user32 {

bool IsKeyMessage(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
         message == WM_SYSKEYUP;
}

void UpdateInputStateFor(const MSG& message) {
  if (IsKeyMessage(message.message)) {
    const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    const int key = static_cast<int>(message.wParam & 0xFF);
    const int side = SideSpecificKey(key, message.lParam);
    // The side-specific key keeps the generic one right when both Shifts are involved.
    if (side != key) {
      SetKeyStateDown(side, down);
    } else {
      SetKeyStateDown(key, down);
    }
  } else if (message.message == WM_LBUTTONDOWN || message.message == WM_LBUTTONUP) {
    SetKeyStateDown(VK_LBUTTON, message.message == WM_LBUTTONDOWN);
  }
}

int CharacterForKey(int virtualKey, bool shift, bool control, bool capsLock) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') {
    if (control) return virtualKey - 'A' + 1;
    return (shift != capsLock) ? virtualKey : virtualKey - 'A' + 'a';
  }
  if (control) return 0;
  if (virtualKey >= '0' && virtualKey <= '9') return shift ? 0 : virtualKey;
  if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) return virtualKey - VK_NUMPAD0 + '0';
  switch (virtualKey) {
    case VK_SPACE: return ' ';
    case VK_TAB: return '\t';
    case VK_RETURN: return '\r';
    case VK_ESCAPE: return 0x1B;
    case VK_BACK: return '\b';
    default: return 0;
  }
}

}  // namespace plk::user32
