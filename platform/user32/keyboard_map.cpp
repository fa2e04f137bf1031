// Implements: the scan code → virtual-key tables of Windows' US and Japanese layouts
// (letters, digits, function keys, editing and arrow keys, keypad, modifiers, and each
// layout's OEM punctuation keys), layout detection from the host keymap, and the lParam
// bits of key messages.
// Does not implement: other national layouts, dead keys, the IME toggle keys' special
// states, keypad keys without NumLock (they always report the digit keys).
#include "user32/keyboard_map.h"

#include "user32/host/host.h"

#include <atomic>
#include <span>

namespace plk::user32 {
namespace {

struct KeyEntry {
  BYTE scanCode;
  bool extended;
  BYTE virtualKey;
};

// The layout keys: none of them is an extended key.
struct LayoutEntry {
  BYTE scanCode;
  BYTE virtualKey;
};

constexpr BYTE kVkOemAuto = 0xF3;  // the JIS half/full-width key, which Windows keeps for the IME

// The letter and digit rows: each key's scan code is one more than its left neighbour's.
struct KeyRow {
  BYTE firstScanCode;
  const char* keys;
};
constexpr KeyRow kRows[] = {
    {0x02, "1234567890"}, {0x10, "QWERTYUIOP"}, {0x1E, "ASDFGHJKL"}, {0x2C, "ZXCVBNM"}};

// The other keys whose code does not depend on the layout.
constexpr KeyEntry kCommonKeys[] = {
    {0x1C, false, VK_RETURN},      {0x01, false, VK_ESCAPE},      {0x0E, false, VK_BACK},
    {0x0F, false, VK_TAB},         {0x39, false, VK_SPACE},       {0x3A, false, VK_CAPITAL},
    {0x3B, false, VK_F1},          {0x3C, false, VK_F2},          {0x3D, false, VK_F3},
    {0x3E, false, VK_F4},          {0x3F, false, VK_F5},          {0x40, false, VK_F6},
    {0x41, false, VK_F7},          {0x42, false, VK_F8},          {0x43, false, VK_F9},
    {0x44, false, VK_F10},         {0x57, false, VK_F11},         {0x58, false, VK_F12},
    {0x37, true, VK_SNAPSHOT},     {0x46, false, VK_SCROLL},      {0x45, false, VK_PAUSE},
    {0x52, true, VK_INSERT},       {0x47, true, VK_HOME},         {0x49, true, VK_PRIOR},
    {0x53, true, VK_DELETE},       {0x4F, true, VK_END},          {0x51, true, VK_NEXT},
    {0x4D, true, VK_RIGHT},        {0x4B, true, VK_LEFT},         {0x50, true, VK_DOWN},
    {0x48, true, VK_UP},           {0x45, true, VK_NUMLOCK},      {0x35, true, VK_DIVIDE},
    {0x37, false, VK_MULTIPLY},    {0x4A, false, VK_SUBTRACT},    {0x4E, false, VK_ADD},
    {0x1C, true, VK_RETURN},       {0x4F, false, VK_NUMPAD0 + 1}, {0x50, false, VK_NUMPAD0 + 2},
    {0x51, false, VK_NUMPAD0 + 3}, {0x4B, false, VK_NUMPAD0 + 4}, {0x4C, false, VK_NUMPAD0 + 5},
    {0x4D, false, VK_NUMPAD0 + 6}, {0x47, false, VK_NUMPAD0 + 7}, {0x48, false, VK_NUMPAD0 + 8},
    {0x49, false, VK_NUMPAD0 + 9}, {0x52, false, VK_NUMPAD0},     {0x53, false, VK_DECIMAL},
    {0x5D, true, VK_APPS},         {0x1D, false, VK_CONTROL},     {0x2A, false, VK_SHIFT},
    {0x38, false, VK_MENU},        {0x5B, true, VK_LWIN},         {0x1D, true, VK_CONTROL},
    {0x36, false, VK_SHIFT},       {0x38, true, VK_MENU},         {0x5C, true, VK_RWIN},
};

// Windows' US layout: the OEM keys named after their unshifted US characters.
constexpr LayoutEntry kUsKeys[] = {
    {0x0C, VK_OEM_MINUS},   // -_
    {0x0D, VK_OEM_PLUS},    // =+
    {0x1A, VK_OEM_4},       // [{
    {0x1B, VK_OEM_6},       // ]}
    {0x2B, VK_OEM_5},       // \|
    {0x27, VK_OEM_1},       // ;:
    {0x28, VK_OEM_7},       // '"
    {0x29, VK_OEM_3},       // `~
    {0x33, VK_OEM_COMMA},   // ,<
    {0x34, VK_OEM_PERIOD},  // .>
    {0x35, VK_OEM_2},       // /?
    {0x56, VK_OEM_102},     // ISO key left of Z
};

// Windows' Japanese layout, by physical key (the legends of a JIS keyboard).
constexpr LayoutEntry kJisKeys[] = {
    {0x0C, VK_OEM_MINUS},   // -=  right of 0
    {0x0D, VK_OEM_7},       // ^~
    {0x7D, VK_OEM_5},       // ¥|
    {0x1A, VK_OEM_3},       // @`  right of P
    {0x1B, VK_OEM_4},       // [{
    {0x27, VK_OEM_PLUS},    // ;+  right of L
    {0x28, VK_OEM_1},       // :*
    {0x2B, VK_OEM_6},       // ]}  right of :
    {0x33, VK_OEM_COMMA},   // ,<
    {0x34, VK_OEM_PERIOD},  // .>
    {0x35, VK_OEM_2},       // /?
    {0x73, VK_OEM_102},     // \_  right of /
    {0x56, VK_OEM_102},     // the ISO key left of Z
    {0x29, kVkOemAuto},     // half/full width
    {0x70, VK_KANA},        // katakana/hiragana
    {0x79, VK_CONVERT},     // henkan
    {0x7B, VK_NONCONVERT},  // muhenkan
};

std::span<const LayoutEntry> LayoutKeys(KeyboardLayout layout) {
  if (layout == KeyboardLayout::Jis) return kJisKeys;
  return kUsKeys;
}

// Offers every key of the layout to `found` in table order until it says yes.
template <typename Found>
void FindKey(KeyboardLayout layout, Found found) {
  for (const LayoutEntry& entry : LayoutKeys(layout)) {
    if (found(KeyCode{entry.virtualKey, entry.scanCode, false})) return;
  }
  for (const KeyRow& row : kRows) {
    for (int i = 0; row.keys[i]; ++i) {
      if (found(KeyCode{row.keys[i], row.firstScanCode + i, false})) return;
    }
  }
  for (const KeyEntry& entry : kCommonKeys) {
    if (found(KeyCode{entry.virtualKey, entry.scanCode, entry.extended})) return;
  }
}

std::atomic<KeyboardLayout>& Active() {
  static std::atomic<KeyboardLayout> layout{KeyboardLayout::Us};
  return layout;
}

}  // namespace

KeyCode MapScanCode(KeyboardLayout layout, int scanCode, bool extended) {
  KeyCode mapped;
  FindKey(layout, [&](const KeyCode& key) {
    if (key.scanCode != scanCode || key.extended != extended) return false;
    mapped = key;
    return true;
  });
  return mapped;
}

std::optional<KeyCode> FindVirtualKey(KeyboardLayout layout, int virtualKey) {
  std::optional<KeyCode> found;
  FindKey(layout, [&](const KeyCode& key) {
    if (key.virtualKey != virtualKey) return false;
    found = key;
    return true;
  });
  if (found) return found;
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

// A JIS keyboard has ':' on the key right of ';', where a US one has '\''.
KeyboardLayout DetectKeyboardLayout() {
  return HostKeyCharacter(0x28, false) == ':' ? KeyboardLayout::Jis : KeyboardLayout::Us;
}

KeyboardLayout ActiveKeyboardLayout() { return Active(); }

void SetActiveKeyboardLayout(KeyboardLayout layout) { Active() = layout; }

LPARAM KeyMessageLParam(const KeyCode& key, bool down, bool repeat) {
  DWORD bits = 1;  // repeat count: the host reports every auto-repeat as its own event
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
