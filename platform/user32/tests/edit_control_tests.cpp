// The EDIT control: its text model, typing through the message loop, the dialog helpers,
// notifications, focus, clicks and painting.
#include "window_fixture.h"

#include "user32/edit_text.h"
#include "user32/testing/user32_testing.h"

#include <string>

namespace t = plk::user32::testing;
using plk::user32::EditText;

namespace {

// One editing step on a digits-only text limited to three characters.
struct EditStep {
  const char* what;
  const char* before;
  long selectFrom, selectTo;  // EM_SETSEL arguments before the step
  char typed;                 // 0: the key below instead
  int key;                    // VK_BACK, VK_DELETE, VK_LEFT, VK_RIGHT, VK_HOME, VK_END
  const char* after;
  std::size_t caret;
};

void Apply(EditText& text, const EditStep& step) {
  if (step.typed) {
    text.Type(step.typed);
    return;
  }
  switch (step.key) {
    case VK_BACK: text.Backspace(); break;
    case VK_DELETE: text.Delete(); break;
    case VK_LEFT: text.MoveLeft(); break;
    case VK_RIGHT: text.MoveRight(); break;
    case VK_HOME: text.MoveHome(); break;
    case VK_END: text.MoveEnd(); break;
    default: FAIL() << "unknown key";
  }
}

TEST(EditTextTest, EditingStepsOnADigitsOnlyTextOfThreeCharacters) {
  const EditStep steps[] = {
      {"a digit replaces the whole selection", "127", 0, -1, '5', 0, "5", 1},
      {"a letter is refused", "12", 2, 2, 'x', 0, "12", 2},
      {"no fourth character", "127", 3, 3, '4', 0, "127", 3},
      {"a digit replacing a selection fits the limit", "127", 1, 2, '9', 0, "197", 2},
      {"typing in the middle", "17", 1, 1, '2', 0, "127", 2},
      {"backspace removes the character before the caret", "127", 2, 2, 0, VK_BACK, "17", 1},
      {"backspace at the start does nothing", "127", 0, 0, 0, VK_BACK, "127", 0},
      {"backspace removes a selection", "127", 0, -1, 0, VK_BACK, "", 0},
      {"delete removes the character after the caret", "127", 0, 0, 0, VK_DELETE, "27", 0},
      {"delete at the end does nothing", "127", 3, 3, 0, VK_DELETE, "127", 3},
      {"delete removes a selection", "127", 1, 3, 0, VK_DELETE, "1", 1},
      {"left stops at the start", "12", 0, 0, 0, VK_LEFT, "12", 0},
      {"left collapses a selection to its start", "127", 3, 1, 0, VK_LEFT, "127", 1},
      {"right stops at the end", "12", 2, 2, 0, VK_RIGHT, "12", 2},
      {"right collapses a selection to its end", "127", 0, 2, 0, VK_RIGHT, "127", 2},
      {"home", "127", 2, 2, 0, VK_HOME, "127", 0},
      {"end", "127", 1, 1, 0, VK_END, "127", 3},
  };
  for (const EditStep& step : steps) {
    EditText text;
    text.SetDigitsOnly(true);
    text.SetLimit(3);
    text.SetText(step.before);
    text.Select(step.selectFrom, step.selectTo);
    Apply(text, step);
    EXPECT_EQ(text.text(), step.after) << step.what;
    EXPECT_EQ(text.caret(), step.caret) << step.what;
    EXPECT_EQ(text.SelectionStart(), text.SelectionEnd()) << step.what << ": nothing selected";
  }
}

TEST(EditTextTest, SelectionBoundsFollowWindowsMeanings) {
  struct Case {
    long from, to;
    std::size_t start, end, caret;
  };
  const Case cases[] = {
      {0, -1, 0, 3, 3},  // all
      {2, 1, 1, 2, 1},   // the caret at the end given
      {1, 99, 1, 3, 3},  // past the end means the end
      {5, 0, 0, 3, 0},
  };
  for (const Case& c : cases) {
    EditText text;
    text.SetText("127");
    text.Select(c.from, c.to);
    EXPECT_EQ(text.SelectionStart(), c.start) << c.from << "," << c.to;
    EXPECT_EQ(text.SelectionEnd(), c.end) << c.from << "," << c.to;
    EXPECT_EQ(text.caret(), c.caret) << c.from << "," << c.to;
  }
  EditText text;
  text.SetText("127");
  text.Select(0, 2);
  text.Select(-1, 0);  // a negative start keeps the caret and drops the selection
  EXPECT_EQ(text.SelectionStart(), 2u);
  EXPECT_EQ(text.SelectionEnd(), 2u);
}

class EditControlTest : public User32Test {
 protected:
  void SetUp() override {
    User32Test::SetUp();
    dialog = CreateMain();
    ShowWindow(dialog, SW_SHOW);
    edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_NUMBER, 0, 0, 0, 0, dialog, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    font = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "IPAGothic");
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  void TearDown() override {
    User32Test::TearDown();
    DeleteObject(font);
  }

  void Open(const char* text) {
    MoveWindow(edit, 100, 50, 24, 12, TRUE);
    SetWindowLongA(edit, GWL_STYLE, GetWindowLongA(edit, GWL_STYLE) | WS_VISIBLE);
    SetDlgItemTextA(dialog, 0, text);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    t::RunUntilIdle(dialog);
    recording::log.clear();
  }
  void Type(std::initializer_list<int> keys) {
    for (int key : keys) {
      t::InjectKey(key, true);
      t::InjectKey(key, false);
    }
    t::RunUntilIdle(dialog);
  }
  std::string Text() {
    char text[16];
    GetDlgItemTextA(dialog, 0, text, sizeof text);
    return text;
  }
  std::vector<WORD> NotificationCodes() {
    std::vector<WORD> codes;
    for (const Recorded& r : Received(WM_COMMAND)) {
      EXPECT_EQ(LOWORD(r.wParam), 0) << "the control's own id";
      EXPECT_EQ(r.lParam, reinterpret_cast<LPARAM>(edit));
      codes.push_back(HIWORD(r.wParam));
    }
    return codes;
  }

  HWND dialog = nullptr;
  HWND edit = nullptr;
  HFONT font = nullptr;
};

TEST_F(EditControlTest, TypingReplacesTheSelectionAndTakesDigitsOnly) {
  Open("64");
  SendMessageA(edit, EM_LIMITTEXT, 3, 0);
  Type({'1', 'A', '2', VK_SPACE, '7', '9'});
  EXPECT_EQ(Text(), "127");
  Type({VK_LEFT, VK_BACK, VK_HOME, VK_DELETE});
  EXPECT_EQ(Text(), "7");
  EXPECT_EQ(GetDlgItemInt(dialog, 0, nullptr, FALSE), 7u);
}

TEST_F(EditControlTest, DialogNumbersReadEmptyAndNonNumericTextAsZero) {
  struct Case {
    const char* text;
    UINT value;
    BOOL translated;
  };
  for (const Case& c :
       {Case{"", 0, FALSE}, Case{"x1", 0, FALSE}, Case{"042", 42, TRUE}, Case{"999", 999, TRUE}}) {
    SetDlgItemTextA(dialog, 0, c.text);
    BOOL translated = 2;
    EXPECT_EQ(GetDlgItemInt(dialog, 0, &translated, FALSE), c.value) << c.text;
    EXPECT_EQ(translated, c.translated) << c.text;
  }
  SetDlgItemInt(dialog, 0, 5, FALSE);
  EXPECT_EQ(Text(), "5");
  EXPECT_EQ(GetDlgCtrlID(edit), 0);
  EXPECT_EQ(GetDlgItem(dialog, 0), edit);
}

TEST_F(EditControlTest, EnterAndEscapeCommandTheDialogWhileOtherKeysEdit) {
  Open("3");
  Type({'4', VK_RETURN, VK_ESCAPE});
  std::vector<WPARAM> commands;
  for (const Recorded& r : Received(WM_COMMAND)) {
    if (LOWORD(r.wParam) != 0) commands.push_back(r.wParam);
  }
  EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(IDOK, 0), MAKEWPARAM(IDCANCEL, 0)}));
  EXPECT_EQ(Text(), "4") << "Enter and Escape typed nothing";
  EXPECT_EQ(GetFocus(), edit) << "the dialog decides where the focus goes";
}

TEST_F(EditControlTest, NotificationsCarryTheControlIdAndCode) {
  SetFocus(dialog);
  recording::log.clear();
  SetFocus(edit);
  SetDlgItemTextA(dialog, 0, "1");
  SendMessageA(edit, EM_LIMITTEXT, 1, 0);
  SendMessageA(edit, WM_CHAR, '2', 0);  // full
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_CHAR, '2', 0);
  SetFocus(dialog);
  EXPECT_EQ(NotificationCodes(), (std::vector<WORD>{EN_SETFOCUS, EN_UPDATE, EN_CHANGE, EN_MAXTEXT,
                                                    EN_UPDATE, EN_CHANGE, EN_KILLFOCUS}));
}

TEST_F(EditControlTest, AClickTakesTheFocusAndPlacesTheCaretBetweenCharacters) {
  Open("127");
  SetFocus(dialog);
  // Cells are 6 pixels wide after a 2-pixel margin: x 9 is nearest the boundary at 8.
  t::InjectClick(dialog, 100 + 9, 50 + 5);
  t::RunUntilIdle(dialog);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_TRUE(Received(WM_LBUTTONDOWN).empty()) << "the click went to the control";
  DWORD start = 9, end = 9;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(end, 1u);
  Type({'5'});
  EXPECT_EQ(Text(), "1527") << "typed at the caret";
}

TEST_F(EditControlTest, PaintsTextOnWhiteWithTheSelectionAndCaretWhileFocused) {
  Open("8");
  SendMessageA(edit, EM_SETSEL, 1, 1);  // caret after the digit, nothing selected
  t::RunUntilIdle(dialog);
  bool dark = false;
  for (int x = 102; x < 108; ++x) {
    for (int y = 50; y < 62; ++y) dark = dark || t::PixelAt(dialog, x, y) == 0x000000;
  }
  EXPECT_TRUE(dark) << "the digit is drawn in black";
  EXPECT_EQ(t::PixelAt(dialog, 100 + 20, 50 + 6), 0xFFFFFFu) << "white behind the text";
  EXPECT_EQ(t::PixelAt(dialog, 100 + 8, 50 + 6), 0x000000u) << "the caret after one cell";
  SendMessageA(edit, EM_SETSEL, 0, -1);
  t::RunUntilIdle(dialog);
  EXPECT_EQ(t::PixelAt(dialog, 100 + 2, 50 + 1), 0x0078D7u) << "the selection is highlighted";
  SetFocus(dialog);
  t::RunUntilIdle(dialog);
  EXPECT_EQ(t::PixelAt(dialog, 100 + 2, 50 + 1), 0xFFFFFFu) << "no highlight without focus";
  EXPECT_EQ(t::PixelAt(dialog, 100 + 8, 50 + 6), 0xFFFFFFu) << "no caret without focus";
}

TEST_F(EditControlTest, ScrollingTheParentMovesTheControlWithItsPixels) {
  Open("42");
  SetFocus(dialog);
  t::RunUntilIdle(dialog);
  ScrollWindowEx(dialog, 0, -20, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE);
  t::RunUntilIdle(dialog);
  RECT rect;
  GetWindowRect(edit, &rect);
  POINT topLeft = {rect.left, rect.top};
  ScreenToClient(dialog, &topLeft);
  EXPECT_EQ(topLeft.x, 100);
  EXPECT_EQ(topLeft.y, 30);
  EXPECT_EQ(t::PixelAt(dialog, 100 + 20, 30 + 6), 0xFFFFFFu);
  t::InjectClick(dialog, 100 + 5, 30 + 5);
  t::RunUntilIdle(dialog);
  EXPECT_EQ(GetFocus(), edit) << "a click where the control now lies reaches it";
}

}  // namespace
