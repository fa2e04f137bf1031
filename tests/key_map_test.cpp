// Key messages of the main window: note keys, sustain, transposition, channel choice and
// command keys, by the MIDI bytes and redraw commands they produce.
#include <string>
#include <vector>

#include "core_fixture.h"
#include "input/key_map.h"
#include "midi/channel_state.h"

using Calls = std::vector<std::string>;

namespace {

class KeyMapTest : public CoreTest {};

// Every note key, by virtual-key code, plays its offset above the base key.
TEST_F(KeyMapTest, NoteKeysPlayTheirOffsetsAboveTheBaseKey) {
  const int codes[19] = {
      'Z', 'S', 'X',          'D', 'C',           'V',         'G',      'B',        'H',     'N',
      'J', 'M', VK_OEM_COMMA, 'L', VK_OEM_PERIOD, VK_OEM_PLUS, VK_OEM_2, VK_OEM_102, VK_OEM_6};
  SetBaseKey(0, 48);
  TakeRedraws();
  for (int offset = 0; offset < 19; offset++) {
    KeyDown(codes[offset]);
    KeyUp(codes[offset]);
    char on[32], off[32];
    std::snprintf(on, sizeof on, "short 90 %02x 7f", 48 + offset);
    std::snprintf(off, sizeof off, "short 80 %02x 7f", 48 + offset);
    EXPECT_EQ(TakeMidi(), (Calls{on, off})) << "key 0x" << std::hex << codes[offset];
  }
}

TEST_F(KeyMapTest, SilentAndUnmappedKeysDoNothing) {
  const int codes[] = {'A',        'F',      'I',       'K',       'O',      'P',
                       'R',        'T',      'U',       'Y',       VK_OEM_1, VK_NUMPAD0,
                       VK_NUMPAD9, VK_SPACE, VK_RETURN, VK_ESCAPE, VK_TAB,   VK_F7,
                       VK_F8,      VK_F9,    VK_F10,    VK_F11,    VK_F12};
  for (int code : codes) {
    KeyDown(code);
    KeyUp(code);
  }
  EXPECT_TRUE(TakeMidi().empty());
  EXPECT_TRUE(TakeRedraws().empty());
}

TEST_F(KeyMapTest, AutoRepeatIsIgnoredForEveryKindOfKey) {
  const int codes[] = {'Z', VK_SHIFT, VK_CONTROL, VK_LEFT, VK_UP, '3', VK_F2, VK_F3};
  SendKeyNote(TRUE, 0, 70);  // something for Ctrl and F3 to silence
  TakeMidi();
  TakeRedraws();
  for (int code : codes) KeyDown(code, /*repeat=*/true);
  EXPECT_TRUE(TakeMidi().empty());
  EXPECT_TRUE(TakeRedraws().empty());
  EXPECT_EQ(sustainActive, 0);
  EXPECT_EQ(ChannelTable[0].baseKey, 60);
  EXPECT_EQ(currentChannel, 0);
}

TEST_F(KeyMapTest, HeldNoteKeySendsOneNoteOnAndItsRelease) {
  KeyDown('Z');
  KeyDown('Z', true);
  KeyDown('Z', true);
  KeyUp('Z');
  EXPECT_EQ(TakeMidi(), (Calls{"short 90 3c 7f", "short 80 3c 7f"}));
}

TEST_F(KeyMapTest, SameNoteFromTwoKeysIsCountedTwice) {
  KeyDown('Z');      // 60
  KeyDown(VK_LEFT);  // base 59
  KeyDown('S');      // 59 + 1 = 60 again
  EXPECT_EQ(ChannelTable[0].heldCount[60], 2u);
  KeyUp('S');
  EXPECT_EQ(ChannelTable[0].heldCount[60], 1u);
  KeyUp(VK_LEFT);
  KeyDown(VK_RIGHT);  // back to 60: Z releases 60 again
  KeyUp('Z');
  EXPECT_EQ(ChannelTable[0].heldCount[60], 0u);
  EXPECT_EQ(TakeMidi(),
            (Calls{"short 90 3c 7f", "short 90 3c 7f", "short 80 3c 7f", "short 80 3c 7f"}));
}

TEST_F(KeyMapTest, KeyUpReleasesTheNoteOfTheMomentNotTheOnePlayed) {
  KeyDown('Z');
  KeyDown(VK_RIGHT);
  KeyUp('Z');  // releases 61, which is not held
  EXPECT_EQ(TakeMidi(), Calls{"short 90 3c 7f"});
  EXPECT_EQ(ChannelTable[0].heldCount[60], 1u);
  KeyDown(VK_CONTROL);
  EXPECT_EQ(TakeMidi(), Calls{"short 80 3c 7f"});
}

TEST_F(KeyMapTest, ShiftIsTheSustainPedal) {
  KeyDown(VK_SHIFT);
  EXPECT_EQ(sustainActive, 1);
  KeyDown('Z');
  KeyUp('Z');
  EXPECT_EQ(TakeMidi(), Calls{"short 90 3c 7f"});
  KeyUp(VK_SHIFT);
  EXPECT_EQ(TakeMidi(), Calls{"short 80 3c 7f"});
  EXPECT_EQ(ChannelTable[0].heldCount[60], 0u);
}

TEST_F(KeyMapTest, CtrlWhileShiftHeldEndsSustainForTheRestOfThatPress) {
  KeyDown(VK_SHIFT);
  KeyDown('X');
  KeyDown(VK_CONTROL);
  EXPECT_EQ(sustainActive, 0);
  EXPECT_EQ(TakeMidi(), (Calls{"short 90 3e 7f", "short 80 3e 7f"}));
  KeyDown(VK_SHIFT, /*repeat=*/true);  // the held Shift repeating does not set it again
  KeyDown('Z');
  KeyUp('Z');
  EXPECT_EQ(TakeMidi(), (Calls{"short 90 3c 7f", "short 80 3c 7f"}));
  KeyUp(VK_SHIFT);
  EXPECT_TRUE(TakeMidi().empty());
}

TEST_F(KeyMapTest, KeysWithCtrlHeldActAsWithout) {
  KeyDown('Z');
  KeyDown(VK_CONTROL);
  KeyDown('Z');
  EXPECT_EQ(TakeMidi(), (Calls{"short 90 3c 7f", "short 80 3c 7f", "short 90 3c 7f"}));
}

TEST_F(KeyMapTest, ArrowsTransposeTheCurrentChannelAndWrap) {
  SelectChannel(2);
  const struct {
    int start, key, result;
  } cases[] = {{60, VK_LEFT, 59}, {60, VK_RIGHT, 61}, {60, VK_UP, 72}, {60, VK_DOWN, 48},
               {0, VK_LEFT, 127}, {127, VK_RIGHT, 0}, {120, VK_UP, 4}, {5, VK_DOWN, 121}};
  for (const auto& c : cases) {
    ChannelTable[2].baseKey = c.start;
    TakeRedraws();
    KeyDown(c.key);
    EXPECT_EQ(ChannelTable[2].baseKey, c.result) << "from " << c.start;
    EXPECT_EQ(TakeRedraws(), RowRedraws({2}));
    EXPECT_EQ(ChannelTable[0].baseKey, 60);
  }
  EXPECT_TRUE(TakeMidi().empty());
}

TEST_F(KeyMapTest, ShiftArrowsMoveEveryChannelFromItsOwnBaseKey) {
  for (int ch = 0; ch < 16; ch++) ChannelTable[ch].baseKey = ch * 8;  // 0, 8, ..., 120
  TakeRedraws();
  KeyDown(VK_SHIFT);
  KeyDown(VK_LEFT);
  EXPECT_EQ(ChannelTable[0].baseKey, 127);
  for (int ch = 1; ch < 16; ch++) EXPECT_EQ(ChannelTable[ch].baseKey, ch * 8 - 1);
  KeyDown(VK_UP);
  EXPECT_EQ(ChannelTable[0].baseKey, 11);  // 127 + 12 wraps
  EXPECT_EQ(ChannelTable[15].baseKey, 3);  // 119 + 12 wraps
  auto redraws = TakeRedraws();
  ASSERT_EQ(redraws.size(), 32u);
  for (int i = 0; i < 32; i++) EXPECT_EQ(redraws[i], (Redraw{REDRAW_ROW, DWORD(i % 16), 0}));
}

TEST_F(KeyMapTest, DigitsChooseChannelsAndShiftReachesTheUpperSix) {
  const struct {
    int key;
    int plain, shifted;
  } cases[] = {{'1', 0, 10}, {'2', 1, 11}, {'3', 2, 12}, {'4', 3, 13}, {'5', 4, 14},
               {'6', 5, 15}, {'7', 6, 6},  {'8', 7, 7},  {'9', 8, 8},  {'0', 9, 9}};
  for (const auto& c : cases) {
    SetShift(false);
    KeyDown(c.key);
    EXPECT_EQ(currentChannel, c.plain) << char(c.key);
    SetShift(true);
    KeyDown(c.key);
    EXPECT_EQ(currentChannel, c.shifted) << "Shift+" << char(c.key);
  }
}

TEST_F(KeyMapTest, ShiftForChannelChoiceIsReadFromTheKeyStateNotFromSustain) {
  sustainActive = 1;  // pedal on, but Shift not down for this message
  KeyDown('1');
  EXPECT_EQ(currentChannel, 0);
}

TEST_F(KeyMapTest, NoteKeysPlayOnTheCurrentChannelAtItsBaseKey) {
  KeyDown('3');
  KeyDown(VK_UP);
  KeyDown('N');  // offset 9 at base 72
  EXPECT_EQ(TakeMidi(), Calls{"short 92 51 7f"});
}

TEST_F(KeyMapTest, KeysPastTheTopOfTheRangeAreSilent) {
  ChannelTable[0].baseKey = 115;
  KeyDown(VK_OEM_6);  // 115 + 18 = 133
  KeyUp(VK_OEM_6);
  KeyDown(VK_OEM_2);  // 115 + 16 = 131
  KeyDown('Z');       // 115
  EXPECT_EQ(TakeMidi(), Calls{"short 90 73 7f"});
  EXPECT_EQ(TakeRedraws(), KeyRedraws(0, {115}));
}

TEST_F(KeyMapTest, FunctionKeysRunTheResetFamily) {
  KeyDown('Z');
  SendInstrument(1, 0x00000003);
  TakeMidi();
  KeyDown(VK_F3);
  EXPECT_EQ(TakeMidi(), (Calls{"short 80 3c 7f", "reset"}));
  EXPECT_EQ(ChannelTable[1].program, 3);
  KeyDown(VK_F2);
  const Calls calls = TakeMidi();
  ASSERT_EQ(calls.size(), 1u + 48u);
  EXPECT_EQ(calls[0], "reset");
  EXPECT_EQ(calls[6], "short c1 00 00");
  EXPECT_EQ(ChannelTable[1].program, 0);
}

TEST_F(KeyMapTest, KeyUpOfCommandKeysDoesNothing) {
  const int codes[] = {VK_CONTROL, VK_LEFT, VK_UP, '1', 'Q', VK_F1, VK_F2, VK_F3, VK_F5};
  KeyDown('Z');
  TakeMidi();
  TakeRedraws();
  for (int code : codes) KeyUp(code);
  EXPECT_TRUE(TakeMidi().empty());
  EXPECT_TRUE(TakeRedraws().empty());
}

TEST_F(KeyMapTest, HandlersAlwaysReturnZero) {
  EXPECT_EQ(OnKeyDown('Z', 1), 0);
  EXPECT_EQ(OnKeyDown('Z', 0x40000001), 0);
  EXPECT_EQ(OnKeyDown(VK_F11, 1), 0);
  EXPECT_EQ(OnKeyUp('Z'), 0);
  EXPECT_EQ(OnKeyUp(VK_F11), 0);
}

}  // namespace
