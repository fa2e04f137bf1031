// Implements: the PC keyboard's set-1 scan codes (with the E0-prefixed keys marked
// extended) of the physical keys SDL names, for the keys of US (101/102-key) and Japanese
// (106/109-key) keyboards, and the character the host keymap puts on a key.
// Does not implement: multimedia and other keys beyond those keyboards (they get none).
#include "user32/host/host.h"
#include "user32/host/sdl/sdl_host.h"

namespace plk::user32 {
namespace {

struct KeyPlace {
  SDL_Scancode key;
  BYTE code;
  bool extended;
};

// SDL_SCANCODE_A .. SDL_SCANCODE_Z.
constexpr BYTE kLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                               0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                               0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

constexpr KeyPlace kOtherKeys[] = {
    {SDL_SCANCODE_RETURN, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, 0x0E, false},
    {SDL_SCANCODE_TAB, 0x0F, false},
    {SDL_SCANCODE_SPACE, 0x39, false},
    {SDL_SCANCODE_CAPSLOCK, 0x3A, false},
    {SDL_SCANCODE_F11, 0x57, false},
    {SDL_SCANCODE_F12, 0x58, false},
    {SDL_SCANCODE_PRINTSCREEN, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, 0x46, false},
    {SDL_SCANCODE_PAUSE, 0x45, false},
    {SDL_SCANCODE_INSERT, 0x52, true},
    {SDL_SCANCODE_HOME, 0x47, true},
    {SDL_SCANCODE_PAGEUP, 0x49, true},
    {SDL_SCANCODE_DELETE, 0x53, true},
    {SDL_SCANCODE_END, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, 0x51, true},
    {SDL_SCANCODE_RIGHT, 0x4D, true},
    {SDL_SCANCODE_LEFT, 0x4B, true},
    {SDL_SCANCODE_DOWN, 0x50, true},
    {SDL_SCANCODE_UP, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, 0x1C, true},
    {SDL_SCANCODE_KP_1, 0x4F, false},
    {SDL_SCANCODE_KP_2, 0x50, false},
    {SDL_SCANCODE_KP_3, 0x51, false},
    {SDL_SCANCODE_KP_4, 0x4B, false},
    {SDL_SCANCODE_KP_5, 0x4C, false},
    {SDL_SCANCODE_KP_6, 0x4D, false},
    {SDL_SCANCODE_KP_7, 0x47, false},
    {SDL_SCANCODE_KP_8, 0x48, false},
    {SDL_SCANCODE_KP_9, 0x49, false},
    {SDL_SCANCODE_KP_0, 0x52, false},
    {SDL_SCANCODE_KP_PERIOD, 0x53, false},
    {SDL_SCANCODE_APPLICATION, 0x5D, true},
    {SDL_SCANCODE_LCTRL, 0x1D, false},
    {SDL_SCANCODE_LSHIFT, 0x2A, false},
    {SDL_SCANCODE_LALT, 0x38, false},
    {SDL_SCANCODE_LGUI, 0x5B, true},
    {SDL_SCANCODE_RCTRL, 0x1D, true},
    {SDL_SCANCODE_RSHIFT, 0x36, false},
    {SDL_SCANCODE_RALT, 0x38, true},
    {SDL_SCANCODE_RGUI, 0x5C, true},
    {SDL_SCANCODE_MINUS, 0x0C, false},
    {SDL_SCANCODE_EQUALS, 0x0D, false},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B, false},
    {SDL_SCANCODE_BACKSLASH, 0x2B, false},
    // The ISO key left of Enter, where JIS keyboards have ]}: X11 may report either.
    {SDL_SCANCODE_NONUSHASH, 0x2B, false},
    {SDL_SCANCODE_SEMICOLON, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, 0x28, false},
    {SDL_SCANCODE_GRAVE, 0x29, false},
    {SDL_SCANCODE_COMMA, 0x33, false},
    {SDL_SCANCODE_PERIOD, 0x34, false},
    {SDL_SCANCODE_SLASH, 0x35, false},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, false},  // the ISO key left of Z
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D, false},  // JIS yen
    {SDL_SCANCODE_INTERNATIONAL1, 0x73, false},  // JIS ro, right of /
    {SDL_SCANCODE_INTERNATIONAL2, 0x70, false},  // katakana/hiragana
    {SDL_SCANCODE_INTERNATIONAL4, 0x79, false},  // henkan
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B, false},  // muhenkan
};

}  // namespace

ScanCode ScanCodeOf(SDL_Scancode key) {
  if (key >= SDL_SCANCODE_A && key <= SDL_SCANCODE_Z) return {kLetters[key - SDL_SCANCODE_A]};
  // 1 .. 9, 0 and F1 .. F10 lie in the same order in both numberings.
  if (key >= SDL_SCANCODE_1 && key <= SDL_SCANCODE_0) return {0x02 + (key - SDL_SCANCODE_1)};
  if (key >= SDL_SCANCODE_F1 && key <= SDL_SCANCODE_F10) return {0x3B + (key - SDL_SCANCODE_F1)};
  for (const KeyPlace& place : kOtherKeys) {
    if (place.key == key) return {place.code, place.extended};
  }
  return {};
}

char32_t HostKeyCharacter(int scanCode, bool extended) {
  for (int key = 0; key < SDL_NUM_SCANCODES; ++key) {
    const ScanCode code = ScanCodeOf(static_cast<SDL_Scancode>(key));
    if (code.code != scanCode || code.extended != extended) continue;
    const SDL_Keycode character = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(key));
    return (character & SDLK_SCANCODE_MASK) ? 0 : static_cast<char32_t>(character);
  }
  return 0;
}

}  // namespace plk::user32
