// Implements: the key state update when a key or button message is removed from the
// queue (generic and left/right modifier keys), and TranslateMessage producing WM_CHAR
// (WM_SYSCHAR after Alt) for letters, digits, space, Tab, Enter, Escape and Backspace,
// queued to be the very next message, as Windows does.
// Does not implement: characters of shifted digits and OEM punctuation (the layout's
// symbols), dead keys, WM_UNICHAR, ToAscii.
#include "user32/keyboard.h"

#include "user32/key_state.h"
#include "user32/keyboard_map.h"
#include "user32/message_queue.h"
#include "user32/window.h"

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

BOOL TranslateMessage(const MSG* message) {
  using namespace plk::user32;
  if (!message || !IsKeyMessage(message->message)) return FALSE;
  if (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN) return TRUE;
  const int character =
      CharacterForKey(static_cast<int>(message->wParam), GetKeyState(VK_SHIFT) < 0,
                      GetKeyState(VK_CONTROL) < 0, (GetKeyState(VK_CAPITAL) & 1) != 0);
  if (character == 0) return TRUE;
  Window* window = FindWindowObject(message->hwnd);
  if (!window) return TRUE;
  const UINT charMessage = message->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  window->queue->PostNext(
      MSG{message->hwnd, charMessage, static_cast<WPARAM>(character), message->lParam, 0, {}});
  return TRUE;
}
