// Implements: the scancode → virtual-key tables of Windows' US and Japanese layouts
// (letters, digits, function keys, editing and arrow keys, keypad, modifiers, and each
// layout's OEM punctuation keys), the set-1 scan codes with the extended flag, layout
// detection from the SDL keymap, and the lParam bits of key messages.
// Does not implement: other national layouts, dead keys, the IME toggle keys' special
// states, keypad keys without NumLock (they always report the digit keys).
#include "user32/keyboard_map.h"

#include <SDL.h>

#include <atomic>
#include <span>

namespace plk::user32 {
namespace {

struct KeyEntry {
  SDL_Scancode scancode;
  BYTE virtualKey;
  BYTE scanCode;
  bool extended;
};

constexpr BYTE kVkOemAuto = 0xF3;  // the JIS half/full-width key, which Windows keeps for the IME

// Keys whose code does not depend on the layout.
constexpr KeyEntry kCommonKeys[] = {
    {SDL_SCANCODE_A, 'A', 0x1E, false},
    {SDL_SCANCODE_B, 'B', 0x30, false},
    {SDL_SCANCODE_C, 'C', 0x2E, false},
    {SDL_SCANCODE_D, 'D', 0x20, false},
    {SDL_SCANCODE_E, 'E', 0x12, false},
    {SDL_SCANCODE_F, 'F', 0x21, false},
    {SDL_SCANCODE_G, 'G', 0x22, false},
    {SDL_SCANCODE_H, 'H', 0x23, false},
    {SDL_SCANCODE_I, 'I', 0x17, false},
    {SDL_SCANCODE_J, 'J', 0x24, false},
    {SDL_SCANCODE_K, 'K', 0x25, false},
    {SDL_SCANCODE_L, 'L', 0x26, false},
    {SDL_SCANCODE_M, 'M', 0x32, false},
    {SDL_SCANCODE_N, 'N', 0x31, false},
    {SDL_SCANCODE_O, 'O', 0x18, false},
    {SDL_SCANCODE_P, 'P', 0x19, false},
    {SDL_SCANCODE_Q, 'Q', 0x10, false},
    {SDL_SCANCODE_R, 'R', 0x13, false},
    {SDL_SCANCODE_S, 'S', 0x1F, false},
    {SDL_SCANCODE_T, 'T', 0x14, false},
    {SDL_SCANCODE_U, 'U', 0x16, false},
    {SDL_SCANCODE_V, 'V', 0x2F, false},
    {SDL_SCANCODE_W, 'W', 0x11, false},
    {SDL_SCANCODE_X, 'X', 0x2D, false},
    {SDL_SCANCODE_Y, 'Y', 0x15, false},
    {SDL_SCANCODE_Z, 'Z', 0x2C, false},
    {SDL_SCANCODE_1, '1', 0x02, false},
    {SDL_SCANCODE_2, '2', 0x03, false},
    {SDL_SCANCODE_3, '3', 0x04, false},
    {SDL_SCANCODE_4, '4', 0x05, false},
    {SDL_SCANCODE_5, '5', 0x06, false},
    {SDL_SCANCODE_6, '6', 0x07, false},
    {SDL_SCANCODE_7, '7', 0x08, false},
    {SDL_SCANCODE_8, '8', 0x09, false},
    {SDL_SCANCODE_9, '9', 0x0A, false},
    {SDL_SCANCODE_0, '0', 0x0B, false},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
    {SDL_SCANCODE_F1, VK_F1, 0x3B, false},
    {SDL_SCANCODE_F2, VK_F2, 0x3C, false},
    {SDL_SCANCODE_F3, VK_F3, 0x3D, false},
    {SDL_SCANCODE_F4, VK_F4, 0x3E, false},
    {SDL_SCANCODE_F5, VK_F5, 0x3F, false},
    {SDL_SCANCODE_F6, VK_F6, 0x40, false},
    {SDL_SCANCODE_F7, VK_F7, 0x41, false},
    {SDL_SCANCODE_F8, VK_F8, 0x42, false},
    {SDL_SCANCODE_F9, VK_F9, 0x43, false},
    {SDL_SCANCODE_F10, VK_F10, 0x44, false},
    {SDL_SCANCODE_F11, VK_F11, 0x57, false},
    {SDL_SCANCODE_F12, VK_F12, 0x58, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true},
    {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
    {SDL_SCANCODE_END, VK_END, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
    {SDL_SCANCODE_UP, VK_UP, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
    {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1, 0x4F, false},
    {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2, 0x50, false},
    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3, 0x51, false},
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, 0x4B, false},
    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, 0x4C, false},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, 0x4D, false},
    {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, 0x47, false},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, 0x48, false},
    {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, 0x49, false},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0, 0x52, false},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, 0x53, false},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
    {SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
    {SDL_SCANCODE_RALT, VK_MENU, 0x38, true},
    {SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true},
};

// Windows' US layout: the OEM keys named after their unshifted US characters.
constexpr KeyEntry kUsKeys[] = {
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},         // -_
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false},         // =+
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false},       // [{
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false},      // ]}
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false},         // \|
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5, 0x2B, false},         // the ISO key in the same place
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false},         // ;:
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false},        // '"
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false},             // `~
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},         // ,<
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},       // .>
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},             // /?
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56, false},  // ISO key left of Z
};

// Windows' Japanese layout, by physical key (the legends of a JIS keyboard).
constexpr KeyEntry kJisKeys[] = {
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},       // -=  right of 0
    {SDL_SCANCODE_EQUALS, VK_OEM_7, 0x0D, false},          // ^~
    {SDL_SCANCODE_INTERNATIONAL3, VK_OEM_5, 0x7D, false},  // ¥|
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_3, 0x1A, false},     // @`  right of P
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_4, 0x1B, false},    // [{
    {SDL_SCANCODE_SEMICOLON, VK_OEM_PLUS, 0x27, false},    // ;+  right of L
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_1, 0x28, false},      // :*
    // ]} right of ':' sits where ISO keyboards have #~; X11 reports it as the backslash key.
    {SDL_SCANCODE_BACKSLASH, VK_OEM_6, 0x2B, false},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_6, 0x2B, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},         // ,<
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},       // .>
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},             // /?
    {SDL_SCANCODE_INTERNATIONAL1, VK_OEM_102, 0x73, false},  // \_  right of /
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56, false},
    {SDL_SCANCODE_GRAVE, kVkOemAuto, 0x29, false},              // half/full width
    {SDL_SCANCODE_INTERNATIONAL2, VK_KANA, 0x70, false},        // katakana/hiragana
    {SDL_SCANCODE_INTERNATIONAL4, VK_CONVERT, 0x79, false},     // henkan
    {SDL_SCANCODE_INTERNATIONAL5, VK_NONCONVERT, 0x7B, false},  // muhenkan
};

std::span<const KeyEntry> LayoutKeys(KeyboardLayout layout) {
  if (layout == KeyboardLayout::Jis) return kJisKeys;
  return kUsKeys;
}

std::atomic<KeyboardLayout>& Active() {
  static std::atomic<KeyboardLayout> layout{KeyboardLayout::Us};
  return layout;
}

}  // namespace

KeyCode MapScancode(KeyboardLayout layout, SDL_Scancode scancode) {
  for (auto table : {LayoutKeys(layout), std::span<const KeyEntry>(kCommonKeys)}) {
    for (const KeyEntry& entry : table) {
      if (entry.scancode == scancode) return {entry.virtualKey, entry.scanCode, entry.extended};
    }
  }
  return {};
}

std::optional<KeyCode> FindVirtualKey(KeyboardLayout layout, int virtualKey) {
  for (auto table : {LayoutKeys(layout), std::span<const KeyEntry>(kCommonKeys)}) {
    for (const KeyEntry& entry : table) {
      if (entry.virtualKey == virtualKey) {
        return KeyCode{entry.virtualKey, entry.scanCode, entry.extended};
      }
    }
  }
  if (virtualKey == VK_LSHIFT || virtualKey == VK_LCONTROL || virtualKey == VK_LMENU) {
    return FindVirtualKey(layout, virtualKey == VK_LSHIFT     ? VK_SHIFT
                                  : virtualKey == VK_LCONTROL ? VK_CONTROL
                                                              : VK_MENU);
  }
  if (virtualKey == VK_RSHIFT) return KeyCode{VK_SHIFT, 0x36, false};
  if (virtualKey == VK_RCONTROL) return KeyCode{VK_CONTROL, 0x1D, true};
  if (virtualKey == VK_RMENU) return KeyCode{VK_MENU, 0x38, true};
  return std::nullopt;
}

KeyboardLayout DetectKeyboardLayout() {
  return SDL_GetKeyFromScancode(SDL_SCANCODE_APOSTROPHE) == SDLK_COLON ? KeyboardLayout::Jis
                                                                       : KeyboardLayout::Us;
}

KeyboardLayout ActiveKeyboardLayout() { return Active(); }

void SetActiveKeyboardLayout(KeyboardLayout layout) { Active() = layout; }

LPARAM KeyMessageLParam(const KeyCode& key, bool down, bool repeat) {
  DWORD bits = 1;  // repeat count: SDL reports every auto-repeat as its own event
  bits |= static_cast<DWORD>(key.scanCode & 0xFF) << 16;
  if (key.extended) bits |= 1u << 24;
  if (!down || repeat) bits |= 1u << 30;
  if (!down) bits |= 1u << 31;
  return static_cast<LPARAM>(bits);
}

int SideSpecificKey(int virtualKey, LPARAM lParam) {
  const bool extended = (lParam >> 24) & 1;
  const int scanCode = (lParam >> 16) & 0xFF;
  switch (virtualKey) {
    case VK_SHIFT: return scanCode == 0x36 ? VK_RSHIFT : VK_LSHIFT;
    case VK_CONTROL: return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU: return extended ? VK_RMENU : VK_LMENU;
    default: return virtualKey;
  }
}

}  // namespace plk::user32
