// Live play on the channel records: reference-counted notes, sustain, the all-notes-off
// family, instruments, base keys and the current channel, by exact MIDI bytes and redraws.
#include "midi/channel_state.h"
#include "test_support.h"

namespace {

class ChannelNotesTest : public CoreTest {};

TEST_F(ChannelNotesTest, EachKeyDownSendsANoteOnAndEachMatchedReleaseANoteOff) {
  for (BOOL down : {TRUE, TRUE, FALSE, FALSE, FALSE}) SendKeyNote(down, 0, 60);
  SendKeyNote(TRUE, 15, 0);
  SendKeyNote(TRUE, 0, 128);                         // above the MIDI range: nothing at all
  EXPECT_EQ(ChannelTable[0].sustainedCount[0], 0u);  // where a count of note 128 would be
  EXPECT_EQ(ReadHeldCount(0, 60), 0u);
  // The third release finds nothing to release: no message, still a redraw.
  EXPECT_EQ(TakeMidi(), "90 3c 7f, 90 3c 7f, 80 3c 7f, 80 3c 7f, 9f 00 7f");
  EXPECT_EQ(TakeRedraws(), "key 0 60, key 0 60, key 0 60, key 0 60, key 0 60, key 15 0");
}

TEST_F(ChannelNotesTest, SustainDefersReleasesUntilItEndsThenReleasesChannelByChannelUpward) {
  sustainActive = 1;
  const int notes[][2] = {{3, 64}, {1, 70}, {1, 62}};
  for (const auto& n : notes) {
    SendKeyNote(TRUE, n[0], n[1]);
    SendKeyNote(FALSE, n[0], n[1]);
  }
  SendKeyNote(FALSE, 2, 70);  // a release without a key down is deferred too
  EXPECT_EQ(TakeMidi(), "93 40 7f, 91 46 7f, 91 3e 7f");
  EXPECT_EQ(TakeRedraws(), "key 3 64, key 3 64, key 1 70, key 1 70, key 1 62, key 1 62, key 2 70");
  ReleaseSustained();
  EXPECT_EQ(sustainActive, 0);
  EXPECT_EQ(ReadHeldCount(1, 70) + ChannelTable[2].sustainedCount[70], 0u);
  EXPECT_EQ(TakeMidi(), "81 3e 7f, 81 46 7f, 83 40 7f");
  EXPECT_EQ(TakeRedraws(), "key 1 62, key 1 70, key 2 70, key 3 64");
  ChannelTable[0].sustainedCount[5] = 1;
  ReleaseSustained();  // without the pedal there is nothing to end
  EXPECT_EQ(ChannelTable[0].sustainedCount[5], 1u);
}

TEST_F(ChannelNotesTest, ReleasingAChannelEndsSustainThenSilencesEveryHoldOfThatChannel) {
  sustainActive = 1;
  SendKeyNote(TRUE, 4, 60);
  SendKeyNote(FALSE, 4, 60);
  for (int note : {50, 50, 40}) SendKeyNote(TRUE, 4, note);
  SendKeyNote(TRUE, 5, 50);
  Forget();
  ReleaseChannelNotes(4);
  EXPECT_EQ(sustainActive, 0);
  EXPECT_EQ(TakeMidi(), "84 3c 7f, 84 28 7f, 84 32 7f, 84 32 7f");
  EXPECT_EQ(TakeRedraws(), "key 4 60, key 4 40, key 4 50, key 4 50");
  EXPECT_EQ(ReadHeldCount(5, 50), 1u);
}

TEST_F(ChannelNotesTest, ReleaseAllSilencesEveryChannelThenResetsAndResetAllSendsInstrumentZero) {
  SendKeyNote(TRUE, 9, 36);
  SendKeyNote(TRUE, 0, 72);
  Forget();
  ReleaseAllNotes();
  EXPECT_EQ(TakeMidi(), "80 48 7f, 89 24 7f, reset");
  EXPECT_EQ(TakeRedraws(), "key 0 72, key 9 36");
  SendInstrument(3, 0x00050207);
  SendKeyNote(TRUE, 3, 60);
  Forget();
  ResetAllChannels();
  EXPECT_EQ(TakeMidi(), "83 3c 7f, reset, " + AllInstrumentsZero());
  EXPECT_EQ(ReadInstrument(3), 0u);
  std::string redraws = "key 3 60";
  for (int ch = 0; ch < 16; ch++)
    redraws += ", header " + std::to_string(ch) + ", row " + std::to_string(ch);
  EXPECT_EQ(TakeRedraws(), redraws);
}

TEST_F(ChannelNotesTest, InstrumentsGoOutBankFirstUnmaskedBaseKeysWrapAndRowsRepaint) {
  SendInstrument(2, 0x00817F05);  // bank MSB 0x81, bank LSB 0x7F, program 5
  EXPECT_EQ(ReadInstrument(2), 0x00817F05u);
  EXPECT_EQ(TakeMidi(), "b2 00 81, b2 20 7f, c2 05 00");
  const int keys[][2] = {{-1, 127}, {128, 0}, {132, 4}, {-12, 116}};
  for (const auto& k : keys) {
    SetBaseKey(7, k[0]);
    EXPECT_EQ(ChannelTable[7].baseKey, k[1]) << "SetBaseKey(" << k[0] << ")";
  }
  for (int ch : {0, 3, 5}) SelectChannel(ch);  // only a change repaints, the old row first
  EXPECT_EQ(currentChannel, 5);
  EXPECT_EQ(TakeRedraws(), "header 2, row 7, row 7, row 7, row 7, row 0, row 3, row 3, row 5");
}

}  // namespace
