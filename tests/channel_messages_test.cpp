// Short messages from a song or another source: counts and instrument bytes follow them,
// every message goes out as it came, and the changed key or header is redrawn.
#include "midi/channel_messages.h"
#include "midi/channel_state.h"
#include "test_support.h"

namespace {

class ChannelMessagesTest : public CoreTest {};

TEST_F(ChannelMessagesTest, NoteOnsAndOffsCountWithVelocityZeroAsANoteOff) {
  SendChannelMessage(0x80, 0x3C, 0x40);  // nothing held: still sent and redrawn
  SendChannelMessage(0x93, 0x3C, 0x50);
  SendChannelMessage(0x93, 0x3C, 0x51);
  SendChannelMessage(0x93, 0x3C, 0x00);
  EXPECT_EQ(ReadHeldCount(3, 0x3C), 1u);
  SendChannelMessage(0x83, 0x3C, 0x00);
  SendChannelMessage(0x83, 0x3C, 0x00);
  EXPECT_EQ(ReadHeldCount(3, 0x3C), 0u);
  EXPECT_EQ(ReadHeldCount(0, 0x3C), 0u);
  EXPECT_EQ(TakeMidi(), "80 3c 40, 93 3c 50, 93 3c 51, 93 3c 00, 83 3c 00, 83 3c 00");
  EXPECT_EQ(TakeRedraws(), "key 0 60, key 3 60, key 3 60, key 3 60, key 3 60, key 3 60");
}

TEST_F(ChannelMessagesTest, NotesShareTheCountsWithLivePlayIgnoreSustainAndStopAt127) {
  sustainActive = 1;
  SendKeyNote(TRUE, 0, 60);
  SendChannelMessage(0x90, 60, 0x40);
  SendChannelMessage(0x80, 60, 0x40);
  EXPECT_EQ(ReadHeldCount(0, 60), 1u);  // the live note still holds the key
  EXPECT_EQ(ChannelTable[0].sustainedCount[60], 0u);
  SendChannelMessage(0x90, 0x80, 0x40);  // note 128 would count in sustainedCount[0]
  SendChannelMessage(0x90, 0xC8, 0x40);  // and note 200 in sustainedCount[72]
  EXPECT_EQ(ChannelTable[0].sustainedCount[0] + ChannelTable[0].sustainedCount[72], 0u);
  EXPECT_EQ(TakeMidi(), "90 3c 7f, 90 3c 40, 80 3c 40, 90 80 40, 90 c8 40");
}

TEST_F(ChannelMessagesTest, BankSelectAndProgramAreMirroredEverythingElseOnlySent) {
  const BYTE messages[][3] = {{0xB2, 0x00, 0x05}, {0xB2, 0x20, 0x06}, {0xC2, 0x07, 0},
                              {0xB2, 0x40, 0x7F}, {0xB2, 0x07, 0x64}, {0xA1, 0x3C, 0x20},
                              {0xD1, 0x30, 0},    {0xE1, 0x00, 0x40}, {0xF2, 0x01, 0x02},
                              {0xF8, 0, 0}};
  for (const auto& m : messages) SendChannelMessage(m[0], m[1], m[2]);
  EXPECT_EQ(ReadInstrument(2), 0x00050607u);
  EXPECT_EQ(ReadInstrument(1), 0u);
  EXPECT_EQ(TakeMidi(),
            "b2 00 05, b2 20 06, c2 07 00, b2 40 7f, b2 07 64, a1 3c 20, d1 30 00, e1 00 40, "
            "f2 01 02, f8 00 00");
  EXPECT_EQ(TakeRedraws(), "header 2, header 2, header 2");
}

}  // namespace
