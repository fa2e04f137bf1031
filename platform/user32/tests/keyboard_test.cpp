// The keys of both layouts, the key state and lParam of each message, characters and
// system keys, and where keys and clicks go.
#include "window_fixture.h"

#include "user32/host/sdl/sdl_host.h"
#include "user32/keyboard_map.h"

#include <cstdlib>

using namespace plk::user32;

TEST(KeyboardMapTest, PhysicalKeysGiveEachLayoutsVirtualKeys) {
  const std::tuple<SDL_Scancode, int, int, int> keys[] = {
      // The key, its scan code, and its virtual keys on JIS and US keyboards.
      {SDL_SCANCODE_SEMICOLON, 0x27, VK_OEM_PLUS, VK_OEM_1},  // JIS ;+ right of L
      {SDL_SCANCODE_BACKSLASH, 0x2B, VK_OEM_6, VK_OEM_5},     // JIS ]} right of :
      {SDL_SCANCODE_INTERNATIONAL1, 0x73, VK_OEM_102, 0},     // JIS \_ right of /
      {SDL_SCANCODE_RIGHTBRACKET, 0x1B, VK_OEM_4, VK_OEM_6},  // JIS [{, US ]}
      {SDL_SCANCODE_EQUALS, 0x0D, VK_OEM_7, VK_OEM_PLUS},     // JIS ^~, US =+
      {SDL_SCANCODE_Z, 0x2C, 'Z', 'Z'},
      {SDL_SCANCODE_LEFT, 0x4B, VK_LEFT, VK_LEFT},  // extended, unlike the keypad's 4
      {SDL_SCANCODE_KP_4, 0x4B, VK_NUMPAD0 + 4, VK_NUMPAD0 + 4},
  };
  for (const auto& [key, scanCode, jis, us] : keys) {
    const ScanCode at = ScanCodeOf(key);
    EXPECT_EQ(at.code, scanCode) << key;
    EXPECT_EQ(MapScanCode(KeyboardLayout::Jis, at.code, at.extended).virtualKey, jis) << key;
    EXPECT_EQ(MapScanCode(KeyboardLayout::Us, at.code, at.extended).virtualKey, us) << key;
  }
  EXPECT_EQ(DetectKeyboardLayout(), KeyboardLayout::Us) << "the headless driver's keymap";
}

TEST_F(User32Test, KeyStateAndLParamAreThoseOfTheMessageLeavingTheQueue) {
  CreateMain();
  ASSERT_TRUE(t::InjectKey(VK_RSHIFT, true));
  ASSERT_TRUE(t::InjectKey('Z', true, true));  // an auto-repeat
  ASSERT_TRUE(t::InjectKey(VK_RSHIFT, false));
  EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "not yet taken from the queue";
  const MSG shift = Take();
  EXPECT_EQ(shift.wParam, static_cast<WPARAM>(VK_SHIFT));
  EXPECT_EQ(shift.lParam, 0x00360001) << "count 1, the right Shift's scan code";
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetKeyState(VK_RSHIFT), 0);
  EXPECT_GE(GetKeyState(VK_LSHIFT), 0);
  EXPECT_EQ(Take().lParam, 0x402C0001) << "a repeat has bit 30";
  EXPECT_LT(GetKeyState(VK_SHIFT), 0) << "Shift is still down for the Z message";
  EXPECT_EQ(static_cast<DWORD>(Take().lParam), 0xC0360001u) << "a key-up";
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(User32Test, CharactersComeNextAndAltCombinationsAndF10AreSystemKeys) {
  CreateMain();
  for (int key :
       std::initializer_list<int>{'7', -'7', VK_SHIFT, 'Q', -VK_SHIFT, VK_F10, VK_MENU, 'X'})
    t::InjectKey(std::abs(key), key > 0);
  t::RunUntilIdle();
  std::vector<std::pair<UINT, WPARAM>> seen;
  for (const Recorded& entry : recording::log) {
    if (entry.message >= WM_KEYDOWN && entry.message <= WM_SYSCHAR && entry.wParam != VK_SHIFT)
      seen.emplace_back(entry.message, entry.wParam);
  }
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_KEYDOWN, '7'},        {WM_CHAR, '7'},       {WM_KEYUP, '7'},
      {WM_KEYDOWN, 'Q'},        {WM_CHAR, 'Q'},       {WM_SYSKEYDOWN, VK_F10},
      {WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, 'X'}, {WM_SYSCHAR, 'x'}};
  EXPECT_EQ(seen, expected);
}

TEST_F(User32Test, InputGoesWhereItBelongsWhenItIsTaken) {
  HWND window = CreateMain(false);
  EXPECT_FALSE(t::InjectKey('A', true)) << "no window has the focus";
  ShowWindow(window, SW_SHOW);
  t::InjectKey('Q', true);
  t::InjectKey('5', true);
  t::InjectClick(window, 105, 55);
  t::InjectClick(window, 5, 300);
  EXPECT_EQ(Take().hwnd, window);
  HWND child = CreateChild(window, 100, 50, 24, 12);
  SetFocus(child);  // as Q's handler opens an editor
  EXPECT_EQ(Take().hwnd, child) << "the digit typed behind Q reaches the editor";
  t::RunUntilIdle();
  const auto downs = Received(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].window, child) << "the click lands on the editor that opened meanwhile";
  EXPECT_EQ(downs[0].lParam, MAKELPARAM(5, 5));
  EXPECT_EQ(downs[1].window, window);
  EXPECT_EQ(downs[1].lParam, MAKELPARAM(5, 300));
  EXPECT_EQ(downs[1].wParam & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(Messages({WM_LBUTTONUP}), (Sent{{child, WM_LBUTTONUP}, {window, WM_LBUTTONUP}}));
}
