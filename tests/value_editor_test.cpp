// The value editor and the mouse choice of a channel, through the real main window, the
// EDIT control and the dialog keys of the message loop.
#include "display/row_drawing.h"
#include "display/scrolling.h"
#include "input/value_editor.h"
#include "midi/channel_state.h"
#include "window_fixture.h"

using Calls = std::vector<std::string>;

namespace {

class ValueEditorTest : public WindowTest {
 protected:
  // Keys as the user types them: to whichever window has the focus, through the loop.
  void Press(std::initializer_list<int> keys) {
    for (int key : keys) {
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
  void OpenField(int channel, int key) {
    SelectChannel(channel);
    Press({key});
    midi.Take();
  }
  // The instrument messages of channel index 2 with these bank and program bytes.
  static Calls Sent(int msb, int lsb, int program) {
    char text[3][20];
    std::snprintf(text[0], sizeof text[0], "short b2 00 %02x", msb);
    std::snprintf(text[1], sizeof text[1], "short b2 20 %02x", lsb);
    std::snprintf(text[2], sizeof text[2], "short c2 %02x 00", program);
    return {text[0], text[1], text[2]};
  }
};

TEST_F(ValueEditorTest, StartsAsAHiddenNumberFieldInTheRowFont) {
  ASSERT_NE(valueEditor, nullptr);
  EXPECT_EQ(GetParent(valueEditor), mainWindow);
  EXPECT_FALSE(IsWindowVisible(valueEditor));
  EXPECT_EQ(GetWindowLongA(valueEditor, GWL_STYLE) & ES_NUMBER, ES_NUMBER);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(valueEditor, WM_GETFONT, 0, 0)), rowFont);
  EXPECT_EQ(CommitEdit(), 0);
}

TEST_F(ValueEditorTest, EnterOrEscapeStoresTheTypedValueAndSendsTheChannelsInstrument) {
  struct Case {
    int fieldKey, endKey;
    const char* typed;  // "\b": Backspace, which empties the selected text
    DWORD instrument;   // program | LSB << 8 | MSB << 16 of channel index 2 afterwards
  };
  const Case cases[] = {
      {'Q', VK_RETURN, "5", 0x050101},   {'Q', VK_ESCAPE, "5", 0x050101},
      {'W', VK_RETURN, "12", 0x010C01},  {'E', VK_ESCAPE, "127", 0x01017F},
      {'E', VK_RETURN, "200", 0x01017F}, {'E', VK_RETURN, "\b", 0x010100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << char(c.fieldKey) << " " << c.typed);
    SendInstrument(2, 0x010101);
    OpenField(2, c.fieldKey);
    for (const char* key = c.typed; *key; ++key) Press({*key});
    EXPECT_EQ(ReadInstrument(2), 0x010101u) << "nothing stored before the end key";
    Press({c.endKey});
    EXPECT_EQ(ReadInstrument(2), c.instrument);
    EXPECT_EQ(midi.Take(),
              Sent(c.instrument >> 16, (c.instrument >> 8) & 0xFF, c.instrument & 0xFF));
    EXPECT_EQ(editActive, 0);
    EXPECT_EQ(GetFocus(), mainWindow);
    EXPECT_FALSE(IsWindowVisible(valueEditor));
  }
}

TEST_F(ValueEditorTest, OpeningShowsTheValueSelectedOverItsNumberAndTheFirstDigitReplacesIt) {
  WriteInstrumentByte(3, 1, 42);
  OpenField(3, 'W');
  EXPECT_TRUE(IsWindowVisible(valueEditor));
  EXPECT_EQ(GetFocus(), valueEditor);
  EXPECT_EQ(EditorText(), "42");
  DWORD start = 9, end = 9;
  SendMessageA(valueEditor, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(end - start, 2u);
  const POINT at = EditorPosition();
  EXPECT_EQ(at.x, 276);
  EXPECT_EQ(at.y, 3 * ROW_HEIGHT + 2);
  RECT size;
  GetClientRect(valueEditor, &size);
  EXPECT_EQ(size.right, EDIT_BOX_WIDTH);
  EXPECT_EQ(size.bottom, EDIT_BOX_HEIGHT);
  Press({'7', '1', '2', '3'});
  EXPECT_EQ(EditorText(), "712") << "three digits at most";
}

TEST_F(ValueEditorTest, OpeningAnotherFieldStoresTheFirstWithoutSending) {
  OpenField(1, 'Q');
  Press({'3', 'W'});  // W reaches the editor as a key, not the key map
  EXPECT_EQ(EditorText(), "3");
  SetFocus(mainWindow);
  Press({'W'});
  EXPECT_EQ(ChannelTable[1].bankMSB, 3);
  EXPECT_TRUE(midi.Take().empty());
  EXPECT_EQ(GetFocus(), valueEditor);
  EXPECT_EQ(EditorPosition().x, 276);
}

TEST_F(ValueEditorTest, NotificationsAndOtherCommandsNeverCommit) {
  OpenField(2, 'E');
  Press({'9'});
  for (WPARAM command : {MAKEWPARAM(0, EN_CHANGE), MAKEWPARAM(0, EN_KILLFOCUS), MAKEWPARAM(IDOK, 1),
                         MAKEWPARAM(IDCANCEL, EN_CHANGE), MAKEWPARAM(3, 0)}) {
    SendMessageA(mainWindow, WM_COMMAND, command, reinterpret_cast<LPARAM>(valueEditor));
  }
  SetFocus(mainWindow);  // the editor's own EN_KILLFOCUS
  SetFocus(valueEditor);
  EXPECT_EQ(editActive, 1);
  EXPECT_EQ(ChannelTable[2].program, 0);
  EXPECT_TRUE(midi.Take().empty());
}

TEST_F(ValueEditorTest, AClickStoresAndSendsAnOpenEditThenChoosesTheRowItHits) {
  OpenField(2, 'E');
  Press({'9'});
  Click(10, 5 * ROW_HEIGHT + 20);
  EXPECT_EQ(midi.Take(), Sent(0, 0, 9));
  EXPECT_EQ(currentChannel, 5);
  EXPECT_EQ(editActive, 0);
  for (int row : {7, 0, 15}) {
    Click(400, row * ROW_HEIGHT + 47);
    EXPECT_EQ(currentChannel, row);
  }
  EXPECT_TRUE(midi.Take().empty());
  ResizeClient(480, 900);
  OpenField(2, 'Q');
  Press({'8'});
  Click(10, 16 * ROW_HEIGHT + 10);  // below the sixteenth row: no row to choose
  EXPECT_EQ(midi.Take(), Sent(8, 0, 9));
  EXPECT_EQ(currentChannel, 2);
}

TEST_F(ValueEditorTest, AClickOnTheBoxPlacesTheCaretWithoutCommitting) {
  OpenField(2, 'E');
  Press({'1', '2'});
  Click(300 + 9, 2 * ROW_HEIGHT + 2 + 5);  // nearest the boundary after the first digit
  EXPECT_EQ(editActive, 1);
  Press({'5'});
  EXPECT_EQ(EditorText(), "152");
}

TEST_F(ValueEditorTest, ACommitSendsTheEditedChannelEvenAfterTheCurrentOneChanged) {
  OpenField(2, 'E');
  Press({'4'});
  SetFocus(mainWindow);  // as when the window is activated again
  Press({'6'});          // the key map chooses channel index 5
  ASSERT_EQ(currentChannel, 5);
  Click(10, 9 * ROW_HEIGHT + 10);
  EXPECT_EQ(midi.Take(), Sent(0, 0, 4));
  EXPECT_EQ(currentChannel, 9);
}

TEST_F(ValueEditorTest, TheBoxAndTheClickedRowFollowTheScrollPosition) {
  ResizeClient(480, 300);
  SendMessageA(mainWindow, WM_VSCROLL, SB_PAGEDOWN, 0);
  ASSERT_GT(verticalScroll, 0);
  OpenField(3, 'E');
  EXPECT_EQ(EditorPosition().y, 3 * ROW_HEIGHT + 2 - verticalScroll);
  SendMessageA(mainWindow, WM_VSCROLL, SB_PAGEDOWN, 0);
  Pump();
  EXPECT_EQ(EditorPosition().y, 3 * ROW_HEIGHT + 2 - verticalScroll) << "it moved with its row";
  Click(10, 10);
  EXPECT_EQ(currentChannel, (10 + verticalScroll) / ROW_HEIGHT);
}

TEST_F(ValueEditorTest, TheCommittedValueShowsInTheRowHeaderWhereTheBoxWas) {
  OpenField(0, 'E');
  Press({'1', '0', '0', VK_RETURN});
  Tick();
  // With the box gone the header is painted again: the row is the current one (gray),
  // and the digits of 100 start at x 302.
  EXPECT_EQ(Pixel(300 + 23, 4), GRAY) << "no white box left";
  bool digit = false;
  for (int x = 302; x < 320; ++x) {
    for (int y = 2; y < 14; ++y) digit = digit || Pixel(x, y) == 0;
  }
  EXPECT_TRUE(digit);
}

}  // namespace
