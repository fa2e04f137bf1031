// The value editor and the mouse choice of a channel, through the real main window, the
// EDIT control and the dialog keys of the message loop.
#include <string>
#include <vector>

#include "common/program_globals.h"
#include "display/row_drawing.h"
#include "display/scrolling.h"
#include "input/value_editor.h"
#include "midi/channel_state.h"
#include "user32/testing/user32_testing.h"
#include "window_fixture.h"

using Calls = std::vector<std::string>;
namespace t = plk::user32::testing;

namespace {

class ValueEditorTest : public WindowTest {
 protected:
  // A key as the user types it: to whichever window has the focus, through the loop.
  void Press(std::initializer_list<int> keys) {
    for (int key : keys) {
      t::InjectKey(key, true);
      t::InjectKey(key, false);
    }
    t::RunUntilIdle(mainWindow);
  }
  void Click(int x, int y) {
    t::InjectClick(mainWindow, x, y);
    t::RunUntilIdle(mainWindow);
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
  // Opens a field of channel index `channel` with Q, W or E after choosing the channel.
  void OpenField(int channel, int key) {
    SelectChannel(channel);
    Press({key});
    midi.Take();
  }
};

TEST_F(ValueEditorTest, StartsHiddenAndClosed) {
  ASSERT_NE(valueEditor, nullptr);
  EXPECT_EQ(GetParent(valueEditor), mainWindow);
  EXPECT_EQ(GetDlgCtrlID(valueEditor), 0);
  EXPECT_FALSE(IsWindowVisible(valueEditor));
  EXPECT_EQ(GetWindowLongA(valueEditor, GWL_STYLE) & ES_NUMBER, ES_NUMBER);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(valueEditor, WM_GETFONT, 0, 0)), rowFont);
  EXPECT_EQ(editActive, 0);
  EXPECT_EQ(CommitEdit(), 0);
}

TEST_F(ValueEditorTest, TypedValueIsStoredAndTheChannelsInstrumentSent) {
  struct Case {
    int fieldKey;
    int endKey;
    const char* typed;
    DWORD instrument;  // program | LSB << 8 | MSB << 16 of channel index 2 afterwards
    Calls sent;
  };
  const Case cases[] = {
      {'Q', VK_RETURN, "5", 0x050000, {"short b2 00 05", "short b2 20 00", "short c2 00 00"}},
      {'Q', VK_ESCAPE, "5", 0x050000, {"short b2 00 05", "short b2 20 00", "short c2 00 00"}},
      {'W', VK_RETURN, "12", 0x000C00, {"short b2 00 00", "short b2 20 0c", "short c2 00 00"}},
      {'E', VK_ESCAPE, "127", 0x00007F, {"short b2 00 00", "short b2 20 00", "short c2 7f 00"}},
      {'E', VK_RETURN, "200", 0x00007F, {"short b2 00 00", "short b2 20 00", "short c2 7f 00"}},
  };
  for (const Case& c : cases) {
    SendInstrument(2, 0);
    OpenField(2, c.fieldKey);
    for (const char* digit = c.typed; *digit; ++digit) Press({*digit});
    EXPECT_EQ(ReadInstrument(2), 0u) << "nothing stored before the end key";
    Press({c.endKey});
    EXPECT_EQ(ReadInstrument(2), c.instrument) << char(c.fieldKey) << " " << c.typed;
    EXPECT_EQ(midi.Take(), c.sent) << char(c.fieldKey) << " " << c.typed;
    EXPECT_EQ(editActive, 0);
    EXPECT_EQ(GetFocus(), mainWindow);
    EXPECT_FALSE(IsWindowVisible(valueEditor));
  }
}

TEST_F(ValueEditorTest, OpeningShowsTheValueSelectedOverItsNumberAndTheFirstDigitReplacesIt) {
  WriteInstrumentByte(3, 1, 42);
  OpenField(3, 'W');
  EXPECT_EQ(editActive, 1);
  EXPECT_TRUE(IsWindowVisible(valueEditor));
  EXPECT_EQ(GetFocus(), valueEditor);
  EXPECT_EQ(EditorText(), "42");
  DWORD start = 9, end = 9;
  SendMessageA(valueEditor, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 2u);
  const POINT at = EditorPosition();
  EXPECT_EQ(at.x, 276);
  EXPECT_EQ(at.y, 3 * ROW_HEIGHT + 2);
  RECT size;
  GetClientRect(valueEditor, &size);
  EXPECT_EQ(size.right, EDIT_BOX_WIDTH);
  EXPECT_EQ(size.bottom, EDIT_BOX_HEIGHT);
  Press({'7'});
  EXPECT_EQ(EditorText(), "7");
  Press({'1', '2', '3'});
  EXPECT_EQ(EditorText(), "712") << "three digits at most";
}

TEST_F(ValueEditorTest, EmptyTextStoresZeroAndSendsIt) {
  SendInstrument(2, 0x000009);
  OpenField(2, 'E');
  Press({VK_BACK, VK_RETURN});
  EXPECT_EQ(ChannelTable[2].program, 0);
  EXPECT_EQ(midi.Take(), (Calls{"short b2 00 00", "short b2 20 00", "short c2 00 00"}));
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
  const LPARAM editor = reinterpret_cast<LPARAM>(valueEditor);
  for (WPARAM command : {MAKEWPARAM(0, EN_CHANGE), MAKEWPARAM(0, EN_UPDATE),
                         MAKEWPARAM(0, EN_SETFOCUS), MAKEWPARAM(0, EN_KILLFOCUS),
                         MAKEWPARAM(IDOK, 1), MAKEWPARAM(IDCANCEL, EN_CHANGE), MAKEWPARAM(3, 0)}) {
    EXPECT_EQ(SendMessageA(mainWindow, WM_COMMAND, command, editor), 0);
    EXPECT_EQ(editActive, 1) << std::hex << command;
  }
  SetFocus(mainWindow);  // the editor's own EN_KILLFOCUS
  SetFocus(valueEditor);
  EXPECT_EQ(editActive, 1);
  EXPECT_EQ(ChannelTable[2].program, 0);
  EXPECT_TRUE(midi.Take().empty());
}

TEST_F(ValueEditorTest, AClickOnAnotherRowStoresSendsThenSelects) {
  OpenField(2, 'E');
  Press({'9'});
  Click(10, 5 * ROW_HEIGHT + 20);
  EXPECT_EQ(ChannelTable[2].program, 9);
  EXPECT_EQ(midi.Take(), (Calls{"short b2 00 00", "short b2 20 00", "short c2 09 00"}));
  EXPECT_EQ(currentChannel, 5);
  EXPECT_EQ(editActive, 0);
}

TEST_F(ValueEditorTest, AClickWithoutAnEditOnlyChoosesTheRow) {
  midi.Take();
  for (int row : {7, 0, 15}) {
    Click(400, row * ROW_HEIGHT + 47);
    EXPECT_EQ(currentChannel, row);
  }
  EXPECT_TRUE(midi.Take().empty());
}

TEST_F(ValueEditorTest, AClickBelowTheSixteenthRowCommitsAndKeepsTheChannel) {
  ResizeClient(480, 900);
  OpenField(4, 'Q');
  Press({'8'});
  Click(10, 16 * ROW_HEIGHT + 10);
  EXPECT_EQ(ChannelTable[4].bankMSB, 8);
  EXPECT_EQ(midi.Take(), (Calls{"short b4 00 08", "short b4 20 00", "short c4 00 00"}));
  EXPECT_EQ(currentChannel, 4);
}

TEST_F(ValueEditorTest, AClickOnTheBoxPlacesTheCaretWithoutCommitting) {
  OpenField(2, 'E');
  Press({'1', '2'});
  Click(300 + 9, 2 * ROW_HEIGHT + 2 + 5);  // nearest the boundary after the first digit
  EXPECT_EQ(editActive, 1);
  EXPECT_TRUE(midi.Take().empty());
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
  EXPECT_EQ(ChannelTable[2].program, 4);
  EXPECT_EQ(midi.Take(), (Calls{"short b2 00 00", "short b2 20 00", "short c2 04 00"}));
  EXPECT_EQ(currentChannel, 9);
}

TEST_F(ValueEditorTest, TheBoxAndTheClickedRowFollowTheScrollPosition) {
  ResizeClient(480, 300);
  SendMessageA(mainWindow, WM_VSCROLL, SB_PAGEDOWN, 0);
  t::RunUntilIdle(mainWindow);
  const LONG scroll = verticalScroll;
  ASSERT_GT(scroll, 0);
  OpenField(currentChannel = (scroll + 100) / ROW_HEIGHT, 'E');
  EXPECT_EQ(EditorPosition().y, currentChannel * ROW_HEIGHT + 2 - scroll);
  SendMessageA(mainWindow, WM_VSCROLL, SB_PAGEDOWN, 0);
  t::RunUntilIdle(mainWindow);
  EXPECT_EQ(EditorPosition().y, currentChannel * ROW_HEIGHT + 2 - verticalScroll)
      << "the box moved with its row";
  Click(10, 10);
  EXPECT_EQ(currentChannel, (10 + verticalScroll) / ROW_HEIGHT);
}

TEST_F(ValueEditorTest, TheCommittedValueShowsInTheRowHeaderWhereTheBoxWas) {
  OpenField(0, 'E');
  Press({'1', '0', '0', VK_RETURN});
  Tick();
  t::RunUntilIdle(mainWindow);
  // With the box gone the header is painted again: the row is the current one (gray),
  // and the digits of 100 start at x 302.
  EXPECT_EQ(Pixel(300 + 23, 4), Rgb(128, 128, 128)) << "no white box left";
  bool digit = false;
  for (int x = 302; x < 320; ++x) {
    for (int y = 2; y < 14; ++y) digit = digit || Pixel(x, y) == 0;
  }
  EXPECT_TRUE(digit);
}

}  // namespace
