// Implements: GetKeyState (high bit: down; low bit: toggled on each press).
// Does not implement: GetAsyncKeyState, GetKeyboardState.
#include "user32/key_state.h"

#include <windows.h>

#include <array>
#include <atomic>

namespace plk::user32 {
namespace {

// Bit 0: down, bit 1: toggled. Read on any thread, written by the UI thread.
std::array<std::atomic<unsigned char>, 256> keys{};

// Windows answers for the generic key when either of its left/right keys is down.
void UpdateGeneric(int generic, int left, int right) {
  const bool down = (keys[left] & 1) || (keys[right] & 1);
  keys[generic] = static_cast<unsigned char>((keys[generic] & 2) | (down ? 1 : 0));
}

}  // namespace

void SetKeyStateDown(int virtualKey, bool down) {
  if (virtualKey <= 0 || virtualKey > 255) return;
  auto& key = keys[virtualKey];
  const unsigned char old = key;
  unsigned char next = static_cast<unsigned char>(down ? (old | 1) : (old & ~1));
  if (down && !(old & 1)) next ^= 2;
  key = next;
  switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT: UpdateGeneric(VK_SHIFT, VK_LSHIFT, VK_RSHIFT); break;
    case VK_LCONTROL:
    case VK_RCONTROL: UpdateGeneric(VK_CONTROL, VK_LCONTROL, VK_RCONTROL); break;
    case VK_LMENU:
    case VK_RMENU: UpdateGeneric(VK_MENU, VK_LMENU, VK_RMENU); break;
    default: break;
  }
}

void ResetKeyState() {
  for (auto& key : keys) key = 0;
}

}  // namespace plk::user32

SHORT GetKeyState(int virtualKey) {
  if (virtualKey <= 0 || virtualKey > 255) return 0;
  const unsigned char key = plk::user32::keys[virtualKey];
  return static_cast<SHORT>(((key & 1) ? 0x8000 : 0) | ((key & 2) ? 1 : 0));
}
