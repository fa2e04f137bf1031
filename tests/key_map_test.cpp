// Key messages of the main window reaching the right operations: note keys, the sustain
// pedal, transposition, channel choice and the reset keys.
#include "input/key_map.h"
#include "midi/channel_state.h"
#include "test_support.h"
#include "user32/key_state.h"

namespace {

class KeyMapTest : public CoreTest {};

TEST_F(KeyMapTest, NoteKeysPlayTheirOffsetAboveTheCurrentChannelsBaseKeyAtPressAndRelease) {
  SelectChannel(2);
  SetBaseKey(2, 48);
  const int codes[] = {'Z', 'H', VK_OEM_6};  // offsets 0, 8 and 18
  for (int code : codes) {
    KeyDown(code);
    KeyUp(code);
  }
  KeyDown('Z');
  KeyDown(VK_RIGHT);
  KeyUp('Z');  // the note of the moment, 49, which is not held
  EXPECT_EQ(TakeMidi(), "92 30 7f, 82 30 7f, 92 38 7f, 82 38 7f, 92 42 7f, 82 42 7f, 92 30 7f");
}

TEST_F(KeyMapTest, RepeatsAndOtherKeysDoNothing) {
  SendKeyNote(TRUE, 0, 70);  // something for Ctrl and F3 to silence
  Forget();
  const int repeated[] = {'Z', VK_SHIFT, VK_CONTROL, VK_LEFT, VK_UP, '3', VK_F2, VK_F3};
  for (int code : repeated) KeyDown(code, /*repeat=*/true);
  const int unmapped[] = {'A', 'R', VK_OEM_1, VK_NUMPAD0, VK_SPACE, VK_F8};
  for (int code : unmapped) KeyDown(code);
  EXPECT_EQ(TakeMidi() + TakeRedraws(), "");
  EXPECT_EQ(sustainActive, 0);
  EXPECT_EQ(ChannelTable[0].baseKey, 60);
  EXPECT_EQ(currentChannel, 0);
}

TEST_F(KeyMapTest, ShiftIsTheSustainPedalCtrlSilencesTheChannelF3AllAndF2ResetsToo) {
  KeyDown(VK_SHIFT);
  KeyDown('Z');
  KeyUp('Z');
  EXPECT_EQ(TakeMidi(), "90 3c 7f");
  KeyUp(VK_SHIFT);
  EXPECT_EQ(TakeMidi(), "80 3c 7f");
  SendKeyNote(TRUE, 0, 50);
  KeyDown('2');
  KeyDown('X');
  KeyDown(VK_CONTROL);
  EXPECT_EQ(TakeMidi(), "90 32 7f, 91 3e 7f, 81 3e 7f");
  KeyDown(VK_F3);
  EXPECT_EQ(TakeMidi(), "80 32 7f, reset");
  KeyDown(VK_F2);
  EXPECT_EQ(TakeMidi(), "reset, " + AllInstrumentsZero());
}

TEST_F(KeyMapTest, ArrowsTransposeTheCurrentChannelAndWithShiftEveryChannel) {
  SelectChannel(2);
  const int moves[][2] = {{VK_LEFT, 59}, {VK_UP, 71}, {VK_RIGHT, 72}, {VK_DOWN, 60}};
  for (const auto& m : moves) {
    KeyDown(m[0]);
    EXPECT_EQ(ChannelTable[2].baseKey, m[1]);
  }
  EXPECT_EQ(ChannelTable[0].baseKey, 60);
  ChannelTable[5].baseKey = 0;
  TakeRedraws();
  KeyDown(VK_SHIFT);
  KeyDown(VK_LEFT);
  EXPECT_EQ(ChannelTable[0].baseKey, 59);
  EXPECT_EQ(ChannelTable[5].baseKey, 127);
  EXPECT_EQ(TakeRedraws(), AllRows());
}

TEST_F(KeyMapTest, DigitsChooseChannelsAndShiftedOnesToSixTheUpperSix) {
  const int cases[][3] = {{'1', 0, 10}, {'6', 5, 15}, {'7', 6, 6}, {'9', 8, 8}, {'0', 9, 9}};
  for (const auto& c : cases) {
    KeyDown(c[0]);
    EXPECT_EQ(currentChannel, c[1]) << char(c[0]);
    KeyDown(VK_SHIFT);
    KeyDown(c[0]);
    KeyUp(VK_SHIFT);
    EXPECT_EQ(currentChannel, c[2]) << "Shift+" << char(c[0]);
  }
  sustainActive = 1;  // the pedal is on, but Shift is not down for this message
  KeyDown('2');
  EXPECT_EQ(currentChannel, 1);
}

// A menu takes the key-ups of keys released while it is open; afterwards the keys that came
// up are released as their key-ups would have been, Shift first, and only those.
TEST_F(KeyMapTest, AfterAMenuTheKeysReleasedMeanwhileAreCaughtUp) {
  struct Case {
    bool shiftUp;
    const char* after;
  } cases[] = {{true, "80 3c 7f"}, {false, ""}};
  for (const Case& c : cases) {
    KeyDown(VK_SHIFT);
    for (int key : {'Z', 'X'}) {
      plk::user32::SetKeyStateDown(key, true);
      KeyDown(key);
    }
    Forget();
    RememberHeldNoteKeys();
    if (c.shiftUp) plk::user32::SetKeyStateDown(VK_SHIFT, false);
    plk::user32::SetKeyStateDown('Z', false);
    CatchUpReleasedKeys();
    CatchUpReleasedKeys();  // a key is caught up once
    EXPECT_EQ(TakeMidi(), c.after) << c.shiftUp;
    EXPECT_EQ(sustainActive, c.shiftUp ? 0 : 1);
    plk::user32::SetKeyStateDown('X', false);
    KeyUp(VK_SHIFT);
    ReleaseAllNotes();
  }
}

}  // namespace
