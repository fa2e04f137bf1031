// What the program relies on in EnableWindow, IsDialogMessageA, ClientToScreen,
// SetWindowLongPtrA and CallWindowProcA, told by the messages they send and what they answer.
#include "window_fixture.h"

namespace {

// Win32's kGwlpWndProc and GWLP_ID, which the program's headers leave out.
constexpr int kGwlpWndProc = -4;
constexpr int kGwlpId = -12;

LRESULT CALLBACK WantsAllKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
  recording::log.push_back({window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

// A subclass in front of the recording procedure: it answers WM_USER + 1 itself, chains
// everything else through CallWindowProcA.
WNDPROC subclassed = nullptr;
LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 1) return 7;
  return CallWindowProcA(subclassed, window, message, wParam, lParam);
}

}  // namespace

TEST_F(User32Test, EnableWindowAnswersThePreviousStateAndSendsWmEnableOnlyOnAChange) {
  HWND main = CreateMain();
  const struct {
    BOOL enable;
    BOOL wasDisabled;
    bool sendsWmEnable;
  } steps[] = {
      {FALSE, FALSE, true}, {FALSE, TRUE, false}, {TRUE, TRUE, true}, {TRUE, FALSE, false}};
  for (const auto& step : steps) {
    SCOPED_TRACE(testing::Message() << "EnableWindow(" << step.enable << ")");
    recording::log.clear();
    EXPECT_EQ(EnableWindow(main, step.enable), step.wasDisabled);
    EXPECT_EQ(IsWindowEnabled(main), step.enable);
    const auto sent = Received(WM_ENABLE);
    ASSERT_EQ(sent.size(), step.sendsWmEnable ? 1u : 0u);
    if (step.sendsWmEnable) {
      EXPECT_EQ(sent[0].wParam, static_cast<WPARAM>(step.enable));
    }
  }
  EXPECT_FALSE(EnableWindow(nullptr, FALSE));
}

TEST_F(User32Test, ADisabledParentTakesTheFocusFromItsChildAndNoInputReachesEither) {
  HWND main = CreateMain();
  HWND child = CreateChild(main, 0, 0, 40, 40);
  SetFocus(child);
  EnableWindow(main, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(child)) << "the child's own state is unchanged";
  recording::log.clear();
  t::InjectClick(main, 10, 10);
  t::RunUntilIdle();
  EXPECT_TRUE(Messages({WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
}

TEST_F(User32Test, IsDialogMessageTurnsEnterAndEscapeIntoCommandsUnlessTheControlWantsThem) {
  RegisterTestClass("WantsAllKeys", WantsAllKeys);
  HWND dialog = CreateMain();
  HWND plain = CreateChild(dialog, 0, 0, 40, 20);
  HWND greedy = CreateWindowExA(0, "WantsAllKeys", "", WS_CHILD | WS_VISIBLE, 0, 30, 40, 20, dialog,
                                nullptr, nullptr, nullptr);
  HWND other = CreateMain();
  const struct {
    const char* name;
    HWND to;
    WPARAM key;
    BOOL handled;
    Sent expected;
  } cases[] = {
      {"Enter", plain, VK_RETURN, TRUE, {{dialog, WM_COMMAND}}},
      {"Escape", plain, VK_ESCAPE, TRUE, {{dialog, WM_COMMAND}}},
      {"Enter to a control that wants all keys", greedy, VK_RETURN, TRUE, {{greedy, WM_KEYDOWN}}},
      {"another key is dispatched", plain, 'A', TRUE, {{plain, WM_KEYDOWN}}},
      {"a window outside the dialog", other, VK_RETURN, FALSE, {}},
  };
  for (const auto& [name, to, key, handled, expected] : cases) {
    SCOPED_TRACE(name);
    recording::log.clear();
    MSG message{to, WM_KEYDOWN, key, 1, 0, {}};
    EXPECT_EQ(IsDialogMessageA(dialog, &message), handled);
    EXPECT_EQ(Messages({WM_KEYDOWN, WM_COMMAND}), expected);
    const auto commands = Received(WM_COMMAND);
    if (!commands.empty()) {
      EXPECT_EQ(commands[0].wParam, MAKEWPARAM(key == VK_RETURN ? IDOK : IDCANCEL, 0));
    }
  }
  // The key that was dispatched was translated too: its character comes next.
  MSG next{};
  ASSERT_TRUE(PeekMessageA(&next, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(next.message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(next.hwnd, plain);
}

TEST_F(User32Test, ClientToScreenAddsEveryClientOriginAndFrameOnTheWay) {
  HWND main = CreateMain(false);
  HWND child = CreateChild(main, 30, 40, 100, 100);
  HWND bordered = CreateChild(child, 5, 6, 20, 20, WS_VISIBLE | WS_BORDER);
  RECT outer;
  GetWindowRect(main, &outer);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  const POINT mainOrigin = {outer.left - frame.left, outer.top - frame.top};
  const struct {
    HWND window;
    POINT origin;
  } cases[] = {
      {main, mainOrigin},
      {child, {mainOrigin.x + 30, mainOrigin.y + 40}},
      {bordered, {mainOrigin.x + 30 + 5 + 1, mainOrigin.y + 40 + 6 + 1}},
  };
  for (const auto& [window, origin] : cases) {
    POINT point = {3, 4};
    ASSERT_TRUE(ClientToScreen(window, &point));
    EXPECT_EQ(point.x, origin.x + 3);
    EXPECT_EQ(point.y, origin.y + 4);
    ASSERT_TRUE(ScreenToClient(window, &point));
    EXPECT_EQ(point.x, 3);
    EXPECT_EQ(point.y, 4);
  }
  POINT untouched = {3, 4};
  EXPECT_FALSE(ClientToScreen(reinterpret_cast<HWND>(0x7FFF0000), &untouched));
  EXPECT_EQ(untouched.x, 3);
}

TEST_F(User32Test, SetWindowLongPtrAnswersThePreviousValueOfEachIndex) {
  HWND main = CreateMain(false);
  HWND child = CreateChild(main, 0, 0, 10, 10);
  const struct {
    int index;
    LONG_PTR value;
  } cases[] = {
      {GWL_STYLE, WS_CHILD | WS_VISIBLE | WS_BORDER},
      {GWL_EXSTYLE, WS_EX_ACCEPTFILES},
      {GWLP_USERDATA, 0x12345678},
      {kGwlpId, 42},
  };
  for (const auto& [index, value] : cases) {
    SCOPED_TRACE(index);
    const LONG_PTR before = GetWindowLongPtrA(child, index);
    EXPECT_EQ(SetWindowLongPtrA(child, index, value), before);
    EXPECT_EQ(GetWindowLongPtrA(child, index), value);
  }
  EXPECT_EQ(GetDlgCtrlID(child), 42);
  EXPECT_EQ(SetWindowLongPtrA(child, 1000, 5), 0) << "an index a window does not have";
  EXPECT_EQ(GetWindowLongPtrA(nullptr, GWL_STYLE), 0);
}

TEST_F(User32Test, ASubclassedProcedureAnswersFirstAndChainsThroughCallWindowProc) {
  HWND main = CreateMain(false);
  subclassed = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(main, kGwlpWndProc, reinterpret_cast<LONG_PTR>(Subclass)));
  ASSERT_NE(subclassed, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(main, kGwlpWndProc), reinterpret_cast<LONG_PTR>(Subclass));
  recording::log.clear();
  EXPECT_EQ(SendMessageA(main, WM_USER + 1, 0, 0), 7);
  SendMessageA(main, WM_USER + 2, 5, 6);
  ASSERT_EQ(recording::log.size(), 1u) << "only the chained message reaches the original";
  EXPECT_EQ(recording::log[0].message, static_cast<UINT>(WM_USER + 2));
  EXPECT_EQ(recording::log[0].lParam, 6);
  EXPECT_EQ(CallWindowProcA(nullptr, main, WM_USER, 0, 0), 0);
}
