// The EDIT control: its text model, typing through the dialog loop, the dialog helpers,
// clicks and painting.
#include "window_fixture.h"

#include "user32/edit_text.h"

#include <string>
#include <tuple>

namespace {

TEST(EditTextTest, EditingStepsOnADigitsOnlyTextOfThreeCharacters) {
  // The text and the selection (EM_SETSEL arguments) before the step, the step (a character
  // typed, or \b Backspace, \x7f Delete, < Left, > Right, ^ Home, $ End), the text and caret
  // after it.
  const std::tuple<const char*, long, long, char, const char*, std::size_t> steps[] = {
      {"127", 0, -1, '5', "5", 1},      // a digit replaces the whole selection
      {"12", 2, 2, 'x', "12", 2},       // a letter is refused
      {"127", 3, 3, '4', "127", 3},     // no fourth character
      {"127", 1, 2, '9', "197", 2},     // a digit replacing a selection fits the limit
      {"17", 1, 1, '2', "127", 2},      // typing in the middle
      {"127", 2, 2, '\b', "17", 1},     // backspace removes the character before the caret
      {"127", 0, 0, '\b', "127", 0},    // backspace at the start does nothing
      {"127", 1, 3, '\x7f', "1", 1},    // delete removes a selection
      {"127", 3, 3, '\x7f', "127", 3},  // delete at the end does nothing
      {"12", 0, 0, '<', "12", 0},       // left stops at the start
      {"12", 2, 2, '>', "12", 2},       // right stops at the end
  };
  for (const auto& [before, from, to, step, after, caret] : steps) {
    plk::user32::EditText text;
    text.SetDigitsOnly(true);
    text.SetLimit(3);
    text.SetText(before);
    text.Select(from, to);
    switch (step) {
      case '\b': text.Backspace(); break;
      case '\x7f': text.Delete(); break;
      case '<': text.MoveLeft(); break;
      case '>': text.MoveRight(); break;
      case '^': text.MoveHome(); break;
      case '$': text.MoveEnd(); break;
      default: text.Type(step);
    }
    EXPECT_EQ(text.text(), after) << before << " then " << step;
    EXPECT_EQ(text.caret(), caret) << before << " then " << step;
    EXPECT_EQ(text.SelectionStart(), text.SelectionEnd()) << before << " then " << step;
  }
}

// An ES_NUMBER edit opened as the program opens its editor: moved into place, shown by its
// style, filled, focused and all selected.
class EditControlTest : public User32Test {
 protected:
  void Open(const char* text) {
    dialog = CreateMain();
    edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_NUMBER, 0, 0, 0, 0, dialog, nullptr,
                           nullptr, nullptr);
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

  HWND dialog = nullptr;
  HWND edit = nullptr;
};

TEST_F(EditControlTest, KeysEditTheTextWhileEnterAndEscapeCommandTheDialog) {
  Open("64");
  SendMessageA(edit, EM_LIMITTEXT, 3, 0);
  Type({'1', 'A', '2', VK_SPACE, '7', '9', VK_LEFT, VK_BACK, VK_RETURN, VK_ESCAPE});
  EXPECT_EQ(Text(), "17");
  std::vector<WPARAM> commands;
  for (const Recorded& r : Received(WM_COMMAND)) {
    // Notifications name the control and are never mistaken for commands.
    const bool notification = r.lParam == reinterpret_cast<LPARAM>(edit);
    EXPECT_TRUE(!notification || HIWORD(r.wParam) != 0);
    if (!notification) commands.push_back(r.wParam);
  }
  EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(IDOK, 0), MAKEWPARAM(IDCANCEL, 0)}));
  EXPECT_EQ(GetFocus(), edit) << "the dialog decides where the focus goes";
}

TEST_F(EditControlTest, DialogNumbersReadEmptyAndNonNumericTextAsZero) {
  Open("");
  for (const auto& [text, value, translated] :
       {std::tuple{"", 0u, FALSE}, {"x1", 0u, FALSE}, {"042", 42u, TRUE}, {"999", 999u, TRUE}}) {
    SetDlgItemTextA(dialog, 0, text);
    BOOL read = 2;
    EXPECT_EQ(GetDlgItemInt(dialog, 0, &read, FALSE), value) << text;
    EXPECT_EQ(read, translated) << text;
  }
  SetDlgItemInt(dialog, 0, 5, FALSE);
  EXPECT_EQ(Text(), "5");
}

TEST_F(EditControlTest, AClickTakesTheFocusAndPlacesTheCaretBetweenCharacters) {
  Open("127");
  SetFocus(dialog);
  // Cells are 6 pixels wide after a 2-pixel margin: x 9 is nearest the boundary at 8.
  t::InjectClick(dialog, 100 + 9, 50 + 5);
  Type({'5'});
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_TRUE(Received(WM_LBUTTONDOWN).empty()) << "the click went to the control";
  EXPECT_EQ(Text(), "1527") << "typed at the caret";
}

TEST_F(EditControlTest, PaintsTextOnWhiteWithTheSelectionAndCaretWhileFocused) {
  Open("8");
  SendMessageA(edit, EM_SETSEL, 1, 1);  // caret after the digit, nothing selected
  t::RunUntilIdle(dialog);
  int dark = 0;
  for (int x = 102; x < 108; ++x) {
    for (int y = 50; y < 62; ++y) dark += t::PixelAt(dialog, x, y) == 0x000000;
  }
  EXPECT_GT(dark, 0) << "the digit is drawn in black";
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

}  // namespace
