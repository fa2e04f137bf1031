// IsDialogMessageA: Enter and Escape in a control become IDOK and IDCANCEL.
#include "window_fixture.h"

#include "user32/testing/user32_testing.h"

namespace t = plk::user32::testing;

namespace {

struct DialogCase {
  int key;
  WPARAM command;
};

}  // namespace

TEST_F(User32Test, EnterAndEscapeInAControlCommandTheDialog) {
  HWND dialog = CreateMain();
  ShowWindow(dialog, SW_SHOW);
  HWND control = CreateChild(dialog, 10, 10, 24, 12);
  for (const DialogCase& c : {DialogCase{VK_RETURN, MAKEWPARAM(IDOK, 0)},
                              DialogCase{VK_ESCAPE, MAKEWPARAM(IDCANCEL, 0)}}) {
    SetFocus(control);
    recording::log.clear();
    t::InjectKey(c.key, true);
    t::RunUntilIdle(dialog);
    const auto commands = Received(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u) << "key " << c.key;
    EXPECT_EQ(commands[0].window, dialog);
    EXPECT_EQ(commands[0].wParam, c.command);
    EXPECT_TRUE(Received(WM_KEYDOWN).empty()) << "the dialog consumed the key";
  }
}

TEST_F(User32Test, OtherMessagesOfTheDialogAreDispatchedAndOthersLeftAlone) {
  HWND dialog = CreateMain();
  ShowWindow(dialog, SW_SHOW);
  HWND control = CreateChild(dialog, 10, 10, 24, 12);
  HWND outsider = CreateMain();
  SetFocus(control);
  MSG key{control, WM_KEYDOWN, '5', 0x00060001, 0, {}};
  EXPECT_TRUE(IsDialogMessageA(dialog, &key));
  MSG timer{dialog, WM_TIMER, 1, 0, 0, {}};
  EXPECT_TRUE(IsDialogMessageA(dialog, &timer));
  MSG elsewhere{outsider, WM_USER, 0, 0, 0, {}};
  EXPECT_FALSE(IsDialogMessageA(dialog, &elsewhere));
  t::RunUntilIdle();
  const auto characters = Received(WM_CHAR);
  ASSERT_EQ(characters.size(), 1u) << "the key was translated";
  EXPECT_EQ(characters[0].window, control);
  EXPECT_EQ(characters[0].wParam, static_cast<WPARAM>('5'));
  EXPECT_EQ(Received(WM_TIMER).size(), 1u);
  EXPECT_TRUE(Received(WM_USER).empty());
  EXPECT_TRUE(Received(WM_COMMAND).empty());
}
