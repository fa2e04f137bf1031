// Key messages of the main window reaching the right operations: note keys, the sustain
// pedal, transposition, channel choice and the reset keys.
#include "input/key_map.h"
#include "midi/channel_state.h"
#include "test_support.h"

namespace {

class KeyMapTest : public CoreTest {};

TEST_F(KeyMapTest, NoteKeysPlayTheirOffsetAboveTheCurrentChannelsBaseKey) {
  const int codes[19] = {
      'Z', 'S', 'X',          'D', 'C',           'V',         'G',      'B',        'H',     'N',
      'J', 'M', VK_OEM_COMMA, 'L', VK_OEM_PERIOD, VK_OEM_PLUS, VK_OEM_2, VK_OEM_102, VK_OEM_6};
  SelectChannel(2);
  SetBaseKey(2, 48);
  for (int offset = 0; offset < 19; offset++) {
    KeyDown(codes[offset]);
    KeyUp(codes[offset]);
    char expected[32];
    std::snprintf(expected, sizeof expected, "92 %02x 7f, 82 %02x 7f", 48 + offset, 48 + offset);
    EXPECT_EQ(TakeMidi(), expected) << "key 0x" << std::hex << codes[offset];
  }
}

TEST_F(KeyMapTest, AKeyUpReleasesTheNoteOfTheMomentNotTheOnePlayed) {
  KeyDown('Z');
  KeyDown(VK_RIGHT);
  KeyUp('Z');  // releases 61, which is not held
  EXPECT_EQ(TakeMidi(), "90 3c 7f");
  EXPECT_EQ(ReadHeldCount(0, 60), 1u);
}

TEST_F(KeyMapTest, RepeatsOtherKeysAndKeyUpsOfCommandKeysDoNothing) {
  SendKeyNote(TRUE, 0, 70);  // something for Ctrl and F3 to silence
  TakeMidi();
  TakeRedraws();
  const int repeated[] = {'Z', VK_SHIFT, VK_CONTROL, VK_LEFT, VK_UP, '3', VK_F2, VK_F3};
  const int unmapped[] = {'A', 'R', VK_OEM_1, VK_NUMPAD0, VK_SPACE, VK_F7, VK_F12};
  const int released[] = {VK_CONTROL, VK_LEFT, '1', 'Q', VK_F1, VK_F2, VK_F3, 'A'};
  for (int code : repeated) KeyDown(code, /*repeat=*/true);
  for (int code : unmapped) KeyDown(code);
  for (int code : released) KeyUp(code);
  EXPECT_EQ(TakeMidi() + TakeRedraws(), "");
  EXPECT_EQ(sustainActive, 0);
  EXPECT_EQ(ChannelTable[0].baseKey, 60);
  EXPECT_EQ(currentChannel, 0);
}

TEST_F(KeyMapTest, ShiftIsTheSustainPedalAndCtrlSilencesTheCurrentChannel) {
  KeyDown(VK_SHIFT);
  EXPECT_EQ(sustainActive, 1);
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
}

TEST_F(KeyMapTest, ArrowsTransposeTheCurrentChannelAndWithShiftEveryChannel) {
  SelectChannel(2);
  const int moves[][2] = {{VK_LEFT, 59}, {VK_UP, 71}, {VK_RIGHT, 72}, {VK_DOWN, 60}};
  for (const auto& m : moves) {
    KeyDown(m[0]);
    EXPECT_EQ(ChannelTable[2].baseKey, m[1]);
  }
  EXPECT_EQ(ChannelTable[0].baseKey, 60);
  TakeRedraws();
  ChannelTable[5].baseKey = 0;
  KeyDown(VK_SHIFT);
  KeyDown(VK_LEFT);
  EXPECT_EQ(ChannelTable[0].baseKey, 59);
  EXPECT_EQ(ChannelTable[5].baseKey, 127);
  EXPECT_EQ(TakeRedraws(), AllRows());
}

TEST_F(KeyMapTest, DigitsChooseChannelsAndShiftedOnesToSixTheUpperSix) {
  const int cases[][3] = {{'1', 0, 10}, {'6', 5, 15}, {'7', 6, 6}, {'9', 8, 8}, {'0', 9, 9}};
  for (const auto& c : cases) {
    SetShift(false);
    KeyDown(c[0]);
    EXPECT_EQ(currentChannel, c[1]) << char(c[0]);
    SetShift(true);
    KeyDown(c[0]);
    EXPECT_EQ(currentChannel, c[2]) << "Shift+" << char(c[0]);
  }
  SetShift(false);
  sustainActive = 1;  // the pedal is on, but Shift is not down for this message
  KeyDown('2');
  EXPECT_EQ(currentChannel, 1);
}

TEST_F(KeyMapTest, F3ReleasesEveryNoteAndF2AlsoResetsEveryInstrument) {
  KeyDown('Z');
  TakeMidi();
  KeyDown(VK_F3);
  EXPECT_EQ(TakeMidi(), "80 3c 7f, reset");
  KeyDown(VK_F2);
  EXPECT_EQ(TakeMidi(), "reset, " + AllInstrumentsZero());
}

}  // namespace
