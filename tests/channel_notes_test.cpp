// Reference-counted notes, sustain and the all-notes-off family, by exact MIDI bytes.
#include <string>
#include <vector>

#include "core_fixture.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"

using Calls = std::vector<std::string>;

namespace {

class ChannelNotesTest : public CoreTest {};

TEST_F(ChannelNotesTest, EveryKeyDownSendsANoteOnAndEveryMatchedReleaseANoteOff) {
  SendKeyNote(TRUE, 0, 60);
  SendKeyNote(TRUE, 0, 60);
  EXPECT_EQ(ChannelTable[0].heldCount[60], 2u);
  SendKeyNote(FALSE, 0, 60);
  EXPECT_EQ(ChannelTable[0].heldCount[60], 1u);
  SendKeyNote(FALSE, 0, 60);
  SendKeyNote(FALSE, 0, 60);  // nothing left to release: no message, still a redraw
  EXPECT_EQ(ChannelTable[0].heldCount[60], 0u);
  EXPECT_EQ(TakeMidi(),
            (Calls{"short 90 3c 7f", "short 90 3c 7f", "short 80 3c 7f", "short 80 3c 7f"}));
  EXPECT_EQ(TakeRedraws(), KeyRedraws(0, {60, 60, 60, 60, 60}));
}

TEST_F(ChannelNotesTest, ChannelGoesIntoTheStatusNibble) {
  SendKeyNote(TRUE, 15, 0);
  SendKeyNote(FALSE, 15, 0);
  EXPECT_EQ(TakeMidi(), (Calls{"short 9f 00 7f", "short 8f 00 7f"}));
}

TEST_F(ChannelNotesTest, NotesAboveTheMidiRangeAreIgnored) {
  SendKeyNote(TRUE, 0, 128);
  SendKeyNote(TRUE, 0, 145);
  SendKeyNote(FALSE, 0, 128);
  EXPECT_TRUE(TakeMidi().empty());
  EXPECT_TRUE(TakeRedraws().empty());
  EXPECT_EQ(ChannelTable[1].baseKey, 60);  // nothing written past channel 0's counts
  EXPECT_EQ(ChannelTable[1].heldCount[0], 0u);
}

TEST_F(ChannelNotesTest, SustainDefersTheNoteOffUntilReleased) {
  sustainActive = 1;
  SendKeyNote(TRUE, 0, 60);
  SendKeyNote(FALSE, 0, 60);
  EXPECT_EQ(ChannelTable[0].heldCount[60], 1u);
  EXPECT_EQ(ChannelTable[0].sustainedCount[60], 1u);
  EXPECT_EQ(TakeMidi(), Calls{"short 90 3c 7f"});
  TakeRedraws();
  ReleaseSustained();
  EXPECT_EQ(sustainActive, 0);
  EXPECT_EQ(ChannelTable[0].heldCount[60], 0u);
  EXPECT_EQ(ChannelTable[0].sustainedCount[60], 0u);
  EXPECT_EQ(TakeMidi(), Calls{"short 80 3c 7f"});
  EXPECT_EQ(TakeRedraws(), KeyRedraws(0, {60}));
}

TEST_F(ChannelNotesTest, SustainedReleaseWithoutKeyDownSendsNothing) {
  sustainActive = 1;
  SendKeyNote(FALSE, 2, 70);
  EXPECT_EQ(ChannelTable[2].sustainedCount[70], 1u);
  ReleaseSustained();
  EXPECT_EQ(ChannelTable[2].sustainedCount[70], 0u);
  EXPECT_TRUE(TakeMidi().empty());
  EXPECT_EQ(TakeRedraws(), KeyRedraws(2, {70, 70}));
}

TEST_F(ChannelNotesTest, ReleaseSustainedIsANoOpWithoutSustain) {
  ChannelTable[0].sustainedCount[5] = 1;  // left by an earlier pedal; not released now
  ReleaseSustained();
  EXPECT_EQ(ChannelTable[0].sustainedCount[5], 1u);
  EXPECT_TRUE(TakeRedraws().empty());
}

TEST_F(ChannelNotesTest, SustainedNotesReleaseChannelByChannelUpward) {
  sustainActive = 1;
  SendKeyNote(TRUE, 3, 64);
  SendKeyNote(FALSE, 3, 64);
  SendKeyNote(TRUE, 1, 70);
  SendKeyNote(FALSE, 1, 70);
  SendKeyNote(TRUE, 1, 62);
  SendKeyNote(FALSE, 1, 62);
  TakeMidi();
  TakeRedraws();
  ReleaseSustained();
  EXPECT_EQ(TakeMidi(), (Calls{"short 81 3e 7f", "short 81 46 7f", "short 83 40 7f"}));
  EXPECT_EQ(TakeRedraws(),
            (std::vector<Redraw>{{REDRAW_KEY, 1, 62}, {REDRAW_KEY, 1, 70}, {REDRAW_KEY, 3, 64}}));
}

TEST_F(ChannelNotesTest, ReleaseChannelNotesSilencesEveryHoldOfThatChannelOnly) {
  SendKeyNote(TRUE, 4, 50);
  SendKeyNote(TRUE, 4, 50);
  SendKeyNote(TRUE, 4, 40);
  SendKeyNote(TRUE, 5, 50);
  TakeMidi();
  TakeRedraws();
  ReleaseChannelNotes(4);
  EXPECT_EQ(TakeMidi(), (Calls{"short 84 28 7f", "short 84 32 7f", "short 84 32 7f"}));
  EXPECT_EQ(TakeRedraws(), KeyRedraws(4, {40, 50, 50}));
  EXPECT_EQ(ChannelTable[5].heldCount[50], 1u);
}

TEST_F(ChannelNotesTest, ReleaseChannelNotesFirstEndsSustain) {
  sustainActive = 1;
  SendKeyNote(TRUE, 0, 60);
  SendKeyNote(FALSE, 0, 60);
  SendKeyNote(TRUE, 0, 62);
  TakeMidi();
  TakeRedraws();
  ReleaseChannelNotes(0);
  EXPECT_EQ(sustainActive, 0);
  // The deferred release of 60 comes from the sustain pass, then 62 from the silencing.
  EXPECT_EQ(TakeMidi(), (Calls{"short 80 3c 7f", "short 80 3e 7f"}));
  EXPECT_EQ(ChannelTable[0].sustainedCount[60], 0u);
}

TEST_F(ChannelNotesTest, ReleaseAllNotesSilencesEveryChannelThenResetsTheDevice) {
  SendKeyNote(TRUE, 9, 36);
  SendKeyNote(TRUE, 0, 72);
  TakeMidi();
  TakeRedraws();
  ReleaseAllNotes();
  EXPECT_EQ(TakeMidi(), (Calls{"short 80 48 7f", "short 89 24 7f", "reset"}));
  EXPECT_EQ(TakeRedraws(), (std::vector<Redraw>{{REDRAW_KEY, 0, 72}, {REDRAW_KEY, 9, 36}}));
  ReleaseAllNotes();
  EXPECT_EQ(TakeMidi(), Calls{"reset"});
}

TEST_F(ChannelNotesTest, ResetAllChannelsSendsInstrumentZeroToEveryChannelAfterTheReset) {
  SendInstrument(3, 0x00050207);
  SendKeyNote(TRUE, 3, 60);
  TakeMidi();
  TakeRedraws();
  ResetAllChannels();
  Calls expected = {"short 83 3c 7f", "reset"};
  std::vector<Redraw> redraws = {{REDRAW_KEY, 3, 60}};
  for (int ch = 0; ch < 16; ch++) {
    char text[3][32];
    std::snprintf(text[0], sizeof text[0], "short b%x 00 00", ch);
    std::snprintf(text[1], sizeof text[1], "short b%x 20 00", ch);
    std::snprintf(text[2], sizeof text[2], "short c%x 00 00", ch);
    expected.insert(expected.end(), {text[0], text[1], text[2]});
    redraws.push_back({REDRAW_HEADER, DWORD(ch), 0});
    redraws.push_back({REDRAW_ROW, DWORD(ch), 0});
  }
  EXPECT_EQ(TakeMidi(), expected);
  EXPECT_EQ(TakeRedraws(), redraws);
  EXPECT_EQ(ChannelTable[3].instrument, 0u);
}

TEST_F(ChannelNotesTest, SendInstrumentStoresTheWordAndSendsBankThenProgramUnmasked) {
  SendInstrument(2, 0x00817F05);  // bank MSB 0x81, bank LSB 0x7F, program 5
  EXPECT_EQ(ChannelTable[2].bankMSB, 0x81);
  EXPECT_EQ(ChannelTable[2].bankLSB, 0x7F);
  EXPECT_EQ(ChannelTable[2].program, 0x05);
  EXPECT_EQ(TakeMidi(), (Calls{"short b2 00 81", "short b2 20 7f", "short c2 05 00"}));
  EXPECT_EQ(TakeRedraws(), (std::vector<Redraw>{{REDRAW_HEADER, 2, 0}}));
}

TEST_F(ChannelNotesTest, BaseKeyWrapsIntoSevenBits) {
  const struct { int key, stored; } cases[] = {{-1, 127}, {128, 0}, {132, 4}, {-12, 116}, {60, 60}};
  for (const auto& c : cases) {
    SetBaseKey(7, c.key);
    EXPECT_EQ(ChannelTable[7].baseKey, c.stored) << "SetBaseKey(" << c.key << ")";
  }
  EXPECT_EQ(TakeRedraws().size(), std::size(cases));
  EXPECT_TRUE(TakeMidi().empty());
}

TEST_F(ChannelNotesTest, SelectChannelRepaintsOldThenNewRowOnlyOnChange) {
  SelectChannel(0);
  EXPECT_TRUE(TakeRedraws().empty());
  SelectChannel(3);
  SelectChannel(5);
  EXPECT_EQ(currentChannel, 5);
  EXPECT_EQ(TakeRedraws(), RowRedraws({0, 3, 3, 5}));
}

TEST_F(ChannelNotesTest, AFailedOpenLeavesCountsAndDisplayWorking) {
  CloseMidiOutput();
  midi.FailOpens(true);
  OpenMidiOutput();
  EXPECT_EQ(midiOutput, nullptr);
  SendKeyNote(TRUE, 0, 60);
  ReleaseAllNotes();
  EXPECT_EQ(ChannelTable[0].heldCount[60], 0u);
  EXPECT_EQ(TakeRedraws(), KeyRedraws(0, {60, 60}));
  EXPECT_EQ(TakeMidi(), Calls{"close"});
}

}  // namespace
