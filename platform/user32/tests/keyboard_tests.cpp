// Virtual-key tables of both layouts, lParam bits, and the key state as of each message.
#include "window_fixture.h"

#include "user32/host/sdl_host.h"
#include "user32/keyboard_map.h"
#include "user32/testing/user32_testing.h"

namespace t = plk::user32::testing;
using plk::user32::KeyboardLayout;

namespace {

plk::user32::KeyCode MapScancode(KeyboardLayout layout, SDL_Scancode key) {
  const plk::user32::ScanCode at = plk::user32::ScanCodeOf(key);
  return plk::user32::MapScanCode(layout, at.code, at.extended);
}

}  // namespace

namespace {

struct LayoutCase {
  SDL_Scancode scancode;
  int jis;
  int us;
};

// Physical keys whose codes differ between the layouts, and some that do not.
const LayoutCase kLayoutCases[] = {
    {SDL_SCANCODE_SEMICOLON, VK_OEM_PLUS, VK_OEM_1},  // JIS ;+ right of L
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_1, VK_OEM_7},    // JIS :*
    {SDL_SCANCODE_BACKSLASH, VK_OEM_6, VK_OEM_5},     // JIS ]} right of :
    {SDL_SCANCODE_NONUSHASH, VK_OEM_6, VK_OEM_5},
    {SDL_SCANCODE_INTERNATIONAL1, VK_OEM_102, 0},     // JIS \_ right of /
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_3, VK_OEM_4},   // JIS @` right of P
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_4, VK_OEM_6},  // JIS [{
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_EQUALS, VK_OEM_7, VK_OEM_PLUS},  // JIS ^~, US =+
    {SDL_SCANCODE_INTERNATIONAL3, VK_OEM_5, 0},    // JIS ¥|
    {SDL_SCANCODE_GRAVE, 0xF3, VK_OEM_3},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, VK_OEM_102},  // ISO key left of Z
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2, VK_OEM_2},
    {SDL_SCANCODE_Z, 'Z', 'Z'},
    {SDL_SCANCODE_0, '0', '0'},
    {SDL_SCANCODE_F6, VK_F6, VK_F6},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, VK_SHIFT},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, VK_CONTROL},
};

MSG TakeKeyMessage() {
  MSG message{};
  EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  return message;
}

}  // namespace

TEST(KeyboardMapTest, EachLayoutGivesWindowsVirtualKeys) {
  for (const LayoutCase& c : kLayoutCases) {
    EXPECT_EQ(MapScancode(KeyboardLayout::Jis, c.scancode).virtualKey, c.jis)
        << "JIS, scancode " << c.scancode;
    EXPECT_EQ(MapScancode(KeyboardLayout::Us, c.scancode).virtualKey, c.us)
        << "US, scancode " << c.scancode;
  }
}

TEST(KeyboardMapTest, ScanCodesAndExtendedKeys) {
  const auto z = MapScancode(KeyboardLayout::Jis, SDL_SCANCODE_Z);
  EXPECT_EQ(z.scanCode, 0x2C);
  EXPECT_FALSE(z.extended);
  const auto left = MapScancode(KeyboardLayout::Us, SDL_SCANCODE_LEFT);
  EXPECT_EQ(left.scanCode, 0x4B);
  EXPECT_TRUE(left.extended);
  const auto ro = MapScancode(KeyboardLayout::Jis, SDL_SCANCODE_INTERNATIONAL1);
  EXPECT_EQ(ro.scanCode, 0x73);
}

TEST(KeyboardMapTest, LParamBitsOfKeyMessages) {
  const plk::user32::KeyCode key{'Z', 0x2C, false};
  EXPECT_EQ(plk::user32::KeyMessageLParam(key, true, false), 0x002C0001);
  EXPECT_EQ(plk::user32::KeyMessageLParam(key, true, true), 0x402C0001);
  EXPECT_EQ(plk::user32::KeyMessageLParam(key, false, false), static_cast<LPARAM>(0xC02C0001u));
  const plk::user32::KeyCode right{VK_RIGHT, 0x4D, true};
  EXPECT_EQ(plk::user32::KeyMessageLParam(right, true, false), 0x014D0001);
}

TEST_F(User32Test, KeyStateChangesWhenTheMessageLeavesTheQueue) {
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);
  t::RunUntilIdle();
  ASSERT_TRUE(t::InjectKey(VK_SHIFT, true));
  ASSERT_TRUE(t::InjectKey('Z', true));
  ASSERT_TRUE(t::InjectKey(VK_SHIFT, false));
  EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "not yet taken from the queue";

  MSG shift = TakeKeyMessage();
  EXPECT_EQ(shift.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(shift.wParam, static_cast<WPARAM>(VK_SHIFT));
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetKeyState(VK_LSHIFT), 0);
  MSG z = TakeKeyMessage();
  EXPECT_EQ(z.wParam, static_cast<WPARAM>('Z'));
  EXPECT_LT(GetKeyState(VK_SHIFT), 0) << "Shift is still down for the Z message";
  MSG up = TakeKeyMessage();
  EXPECT_EQ(up.message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(static_cast<DWORD>(up.lParam) >> 30, 3u);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(User32Test, RightShiftCountsForTheGenericKey) {
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);
  t::InjectKey(VK_RSHIFT, true);
  t::RunUntilIdle();
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetKeyState(VK_RSHIFT), 0);
  EXPECT_GE(GetKeyState(VK_LSHIFT), 0);
  const auto downs = Received(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_SHIFT));
  EXPECT_EQ((downs[0].lParam >> 16) & 0xFF, 0x36);
}

TEST_F(User32Test, AltCombinationsAndF10AreSystemKeys) {
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);
  t::InjectKey(VK_F10, true);
  t::InjectKey(VK_F10, false);
  t::InjectKey(VK_MENU, true);
  t::InjectKey('X', true);
  t::RunUntilIdle();
  std::vector<UINT> messages;
  for (const Recorded& entry : recording::log) {
    if (entry.message >= WM_KEYDOWN && entry.message <= WM_SYSKEYUP)
      messages.push_back(entry.message);
  }
  const std::vector<UINT> expected = {WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYDOWN, WM_SYSKEYDOWN};
  EXPECT_EQ(messages, expected);
}

TEST_F(User32Test, TranslateMessageTypesCharactersNext) {
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);
  t::InjectKey('7', true);
  t::InjectKey('7', false);
  t::InjectKey(VK_SHIFT, true);
  t::InjectKey('Q', true);
  t::RunUntilIdle();
  std::vector<std::pair<UINT, WPARAM>> seen;
  for (const Recorded& entry : recording::log) {
    if (entry.message >= WM_KEYDOWN && entry.message <= WM_CHAR && entry.wParam != VK_SHIFT) {
      seen.emplace_back(entry.message, entry.wParam);
    }
  }
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_KEYDOWN, '7'}, {WM_CHAR, '7'}, {WM_KEYUP, '7'}, {WM_KEYDOWN, 'Q'}, {WM_CHAR, 'Q'}};
  EXPECT_EQ(seen, expected);
}

TEST_F(User32Test, KeysGoToTheFocusWindowOfTheMomentTheyAreTaken) {
  HWND window = CreateMain();
  EXPECT_FALSE(t::InjectKey('A', true)) << "no window has the focus";
  ShowWindow(window, SW_SHOW);
  HWND editor = CreateChild(window, 0, 0, 10, 10);
  t::InjectKey('Q', true);
  t::InjectKey('5', true);
  EXPECT_EQ(TakeKeyMessage().hwnd, window);
  SetFocus(editor);  // as Q's handler opens an editor
  EXPECT_EQ(TakeKeyMessage().hwnd, editor) << "the digit typed behind Q reaches the editor";
}

TEST_F(User32Test, ClicksGoToTheChildUnderThePointerWhenTakenInItsCoordinates) {
  HWND window = CreateMain();
  ShowWindow(window, SW_SHOW);
  t::InjectClick(window, 105, 55);
  HWND child = CreateChild(window, 100, 50, 24, 12);
  t::InjectClick(window, 5, 300);
  t::RunUntilIdle();
  const auto downs = Received(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].window, child);
  EXPECT_EQ(downs[0].lParam, MAKELPARAM(5, 5));
  EXPECT_EQ(downs[1].window, window);
  EXPECT_EQ(downs[1].lParam, MAKELPARAM(5, 300));
  EXPECT_EQ(downs[1].wParam & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(Received(WM_LBUTTONUP).size(), 2u);
}
