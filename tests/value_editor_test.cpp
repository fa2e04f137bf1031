// The value editor and the mouse choice of a channel, through the real main window, the
// EDIT control and the dialog keys of the message loop.
#include "display/row_drawing.h"
#include "display/scrolling.h"
#include "input/value_editor.h"
#include "midi/channel_state.h"
#include "window_fixture.h"

namespace {

class ValueEditorTest : public WindowTest {
 protected:
  // Keys as the user types them: to whichever window has the focus, through the loop.
  void Press(const std::string& keys) {
    for (char key : keys) {
      user32::InjectKey(key, true);
      user32::InjectKey(key, false);
    }
    Pump();
  }
  void Click(int x, int y) {
    user32::InjectClick(mainWindow, x, y);
    Pump();
  }
  std::string EditorText() {
    char text[16] = "";
    GetWindowTextA(valueEditor, text, sizeof text);
    return text;
  }
  POINT EditorPosition() {
    RECT rect;
    GetWindowRect(valueEditor, &rect);
    POINT topLeft = {rect.left, rect.top};
    ScreenToClient(mainWindow, &topLeft);
    return topLeft;
  }
  // Chooses channel index `channel` and opens one of its fields with Q, W or E.
  void OpenField(int channel, char key) {
    SelectChannel(channel);
    Press({key});
    midi.Take();
  }
  // The messages that send `word` as the instrument of channel index 2.
  static std::vector<std::string> Sends(DWORD word) {
    char text[3][20];
    std::snprintf(text[0], sizeof text[0], "short b2 00 %02x", unsigned(word >> 16));
    std::snprintf(text[1], sizeof text[1], "short b2 20 %02x", unsigned(word >> 8 & 0xFF));
    std::snprintf(text[2], sizeof text[2], "short c2 %02x 00", unsigned(word & 0xFF));
    return {text[0], text[1], text[2]};
  }
};

TEST_F(ValueEditorTest, EnterOrEscapeStoresTheTypedValueAndSendsTheChannelsInstrument) {
  struct Case {
    char field;
    const char* typed;  // ending with Enter (\r) or Escape (\x1b); \b: Backspace
    DWORD instrument;   // program | LSB << 8 | MSB << 16 of channel index 2 afterwards
  } cases[] = {{'Q', "5\r", 0x050101},     {'Q', "5\x1b", 0x050101}, {'W', "12\r", 0x010C01},
               {'E', "127\x1b", 0x01017F}, {'E', "200\r", 0x01017F}, {'E', "\b\r", 0x010100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.field << " " << c.typed);
    SendInstrument(2, 0x010101);
    OpenField(2, c.field);
    const std::string typed = c.typed;
    Press(typed.substr(0, typed.size() - 1));
    EXPECT_EQ(ReadInstrument(2), 0x010101u) << "nothing stored before the end key";
    Press(typed.substr(typed.size() - 1));
    EXPECT_EQ(ReadInstrument(2), c.instrument);
    EXPECT_EQ(midi.Take(), Sends(c.instrument));
    EXPECT_EQ(GetFocus(), mainWindow);
    EXPECT_FALSE(IsWindowVisible(valueEditor));
  }
}

TEST_F(ValueEditorTest, OpeningShowsTheNumberSelectedInItsBoxOverTheHeader) {
  EXPECT_FALSE(IsWindowVisible(valueEditor));
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(valueEditor, WM_GETFONT, 0, 0)), rowFont);
  EXPECT_EQ(CommitEdit(), 0) << "nothing open";
  WriteInstrumentByte(3, 1, 42);
  OpenField(3, 'W');
  EXPECT_EQ(GetFocus(), valueEditor);
  EXPECT_EQ(EditorText(), "42");
  DWORD start = 9, end = 9;
  SendMessageA(valueEditor, EM_GETSEL, WPARAM(&start), LPARAM(&end));
  EXPECT_EQ(end - start, 2u);
  RECT box;
  GetClientRect(valueEditor, &box);
  EXPECT_EQ(box.right * 100 + box.bottom, EDIT_BOX_WIDTH * 100 + EDIT_BOX_HEIGHT);
  EXPECT_EQ(EditorPosition().x, 276);
  EXPECT_EQ(EditorPosition().y, 3 * ROW_HEIGHT + 2);
  Press("7123");
  EXPECT_EQ(EditorText(), "712") << "the typed digit replaces the number; three digits at most";
}

TEST_F(ValueEditorTest, OpeningAnotherFieldStoresTheFirstWithoutSending) {
  OpenField(1, 'Q');
  Press("3W");  // the letter reaches the number box, which takes digits only
  EXPECT_EQ(EditorText(), "3");
  SetFocus(mainWindow);
  Press("W");
  EXPECT_EQ(ChannelTable[1].bankMSB, 3);
  EXPECT_TRUE(midi.Take().empty());
  EXPECT_EQ(GetFocus(), valueEditor);
  EXPECT_EQ(EditorPosition().x, 276);
}

TEST_F(ValueEditorTest, NotificationsAndOtherCommandsNeverCommit) {
  OpenField(2, 'E');
  Press("9");
  for (WPARAM command : {MAKEWPARAM(0, EN_KILLFOCUS), MAKEWPARAM(IDOK, 1), MAKEWPARAM(3, 0)}) {
    SendMessageA(mainWindow, WM_COMMAND, command, LPARAM(valueEditor));
  }
  EXPECT_EQ(editActive, 1);
  EXPECT_TRUE(midi.Take().empty());
}

TEST_F(ValueEditorTest, AClickStoresAndSendsTheEditedChannelThenChoosesTheRowItHits) {
  OpenField(2, 'E');
  Press("9");
  SetFocus(mainWindow);  // as when the window is activated again
  Press("6");            // the key map chooses channel index 5
  Click(10, 9 * ROW_HEIGHT + 20);
  EXPECT_EQ(midi.Take(), Sends(0x000009));
  EXPECT_EQ(currentChannel, 9);
  for (int row : {7, 0, 15}) {
    Click(400, row * ROW_HEIGHT + 47);
    EXPECT_EQ(currentChannel, row);
  }
  EXPECT_TRUE(midi.Take().empty());
  ResizeClient(480, 900);
  OpenField(2, 'Q');
  Press("8");
  Click(10, 16 * ROW_HEIGHT + 10);  // below the sixteenth row: no row to choose
  EXPECT_EQ(midi.Take(), Sends(0x080009));
  EXPECT_EQ(currentChannel, 2);
}

TEST_F(ValueEditorTest, TheBoxAndTheClickedRowFollowTheScrollPosition) {
  ResizeClient(480, 300);
  SendMessageA(mainWindow, WM_VSCROLL, SB_PAGEDOWN, 0);
  OpenField(3, 'E');
  EXPECT_EQ(EditorPosition().y, 3 * ROW_HEIGHT + 2 - PAGE_SCROLL);
  SendMessageA(mainWindow, WM_VSCROLL, SB_PAGEDOWN, 0);
  Pump();
  EXPECT_EQ(EditorPosition().y, 3 * ROW_HEIGHT + 2 - 2 * PAGE_SCROLL) << "it moved with its row";
  Click(10, 10);
  EXPECT_EQ(currentChannel, (10 + 2 * PAGE_SCROLL) / ROW_HEIGHT);
}

TEST_F(ValueEditorTest, TheCommittedValueShowsInTheRowHeaderWhereTheBoxWas) {
  OpenField(0, 'E');
  Press("100\r");
  Tick();
  // The row is the current one (gray), and the digits of 100 start at x 302.
  EXPECT_EQ(Pixel(300 + 23, 4), GRAY) << "no white box left";
  bool digit = false;
  for (int x = 302; x < 320; ++x) {
    for (int y = 2; y < 14; ++y) digit = digit || Pixel(x, y) == 0;
  }
  EXPECT_TRUE(digit);
}

}  // namespace
