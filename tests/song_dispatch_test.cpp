// Song events reaching the output, the tempo and the channel records, by exact bytes.
#include "core_fixture.h"
#include "midi/channel_state.h"
#include "song/song_dispatch.h"
#include "song_test_support.h"

using Calls = std::vector<std::string>;

namespace {

class SongDispatchTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ResetSongState();
  }
  static void Dispatch(const Bytes& event) {
    DispatchSongEvent(event.data(), static_cast<DWORD>(event.size()));
  }
};

TEST_F(SongDispatchTest, NoteMessagesGoOutAsWrittenWhateverTheCount) {
  Dispatch({0x80, 0x3C, 0x40});  // nothing held: still sent and redrawn
  EXPECT_EQ(ChannelTable[0].heldCount[0x3C], 0u);
  Dispatch({0x93, 0x3C, 0x50});
  Dispatch({0x93, 0x3C, 0x51});
  EXPECT_EQ(ChannelTable[3].heldCount[0x3C], 2u);
  Dispatch({0x93, 0x3C, 0x00});  // velocity 0 releases, and goes out unchanged
  EXPECT_EQ(ChannelTable[3].heldCount[0x3C], 1u);
  Dispatch({0x83, 0x3C, 0x00});
  Dispatch({0x83, 0x3C, 0x00});
  EXPECT_EQ(ChannelTable[3].heldCount[0x3C], 0u);
  EXPECT_EQ(TakeMidi(), (Calls{"short 80 3c 40", "short 93 3c 50", "short 93 3c 51",
                               "short 93 3c 00", "short 83 3c 00", "short 83 3c 00"}));
  std::vector<Redraw> keys = KeyRedraws(3, {0x3C, 0x3C, 0x3C, 0x3C, 0x3C});
  keys.insert(keys.begin(), Redraw{REDRAW_KEY, 0, 0x3C});
  EXPECT_EQ(TakeRedraws(), keys);
}

TEST_F(SongDispatchTest, SongNotesIgnoreSustainAndShareCountsWithLivePlay) {
  sustainActive = 1;
  SendKeyNote(TRUE, 0, 60);
  Dispatch({0x90, 60, 0x40});
  Dispatch({0x80, 60, 0x40});
  EXPECT_EQ(ChannelTable[0].heldCount[60], 1u);  // the live note still holds the key
  EXPECT_EQ(ChannelTable[0].sustainedCount[60], 0u);
  Dispatch({0x80, 60, 0x40});
  EXPECT_EQ(ChannelTable[0].heldCount[60], 0u);
  EXPECT_EQ(TakeMidi(),
            (Calls{"short 90 3c 7f", "short 90 3c 40", "short 80 3c 40", "short 80 3c 40"}));
}

TEST_F(SongDispatchTest, NotesAbove127ChangeNoCount) {
  Dispatch({0x90, 0xC8, 0x40});  // 200 would land in sustainedCount[72]
  Dispatch({0x8F, 0xFF, 0x40});  // 255 on the last channel would leave the table
  for (const ChannelState& channel : ChannelTable) {
    for (DWORD note = 0; note < NOTE_COUNT; note++) {
      EXPECT_EQ(channel.heldCount[note], 0u);
      EXPECT_EQ(channel.sustainedCount[note], 0u);
    }
  }
  EXPECT_EQ(TakeMidi(), (Calls{"short 90 c8 40", "short 8f ff 40"}));
}

TEST_F(SongDispatchTest, ProgramAndBankAreMirroredOtherControllersOnlySent) {
  Dispatch({0xB2, 0x00, 0x05});
  Dispatch({0xB2, 0x20, 0x06});
  Dispatch({0xC2, 0x07});
  Dispatch({0xB2, 0x40, 0x7F});  // sustain
  Dispatch({0xB2, 0x07, 0x64});
  EXPECT_EQ(ReadInstrument(2), 0x00050607u);
  EXPECT_EQ(TakeMidi(), (Calls{"short b2 00 05", "short b2 20 06", "short c2 07 00",
                               "short b2 40 7f", "short b2 07 64"}));
  EXPECT_EQ(
      TakeRedraws(),
      (std::vector<Redraw>{{REDRAW_HEADER, 2, 0}, {REDRAW_HEADER, 2, 0}, {REDRAW_HEADER, 2, 0}}));
}

TEST_F(SongDispatchTest, OtherMessagesAreSentWithoutChanges) {
  Dispatch({0xA1, 0x3C, 0x20});
  Dispatch({0xD1, 0x30});
  Dispatch({0xE1, 0x00, 0x40});
  Dispatch({0xF2, 0x01, 0x02});
  Dispatch({0xF3, 0x04});
  Dispatch({0xF8});
  EXPECT_EQ(TakeMidi(), (Calls{"short a1 3c 20", "short d1 30 00", "short e1 00 40",
                               "short f2 01 02", "short f3 04 00", "short f8 00 00"}));
  EXPECT_TRUE(TakeRedraws().empty());
}

TEST_F(SongDispatchTest, TempoEventsSetTheTempoAndOtherMetaEventsDoNothing) {
  struct Case {
    Bytes event;
    DWORD tempo;
  };
  const Case cases[] = {
      {{0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}, 500000},
      {{0xFF, 0x51, 0x03, 0x00, 0x00, 0x00}, 1},
      {{0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF}, 0xFFFFFF},
      {{0xFF, 0x51, 0x04, 0x00, 0x00, 0x10, 0x00}, 777},  // wrong length: ignored
      {{0xFF, 0x51, 0x03, 0x00, 0x10}, 777},              // cut short: ignored
      {{0xFF, 0x2F, 0x00}, 777},
      {{0xFF, 0x01, 0x03, 0x41, 0x42, 0x43}, 777},
  };
  for (const Case& c : cases) {
    songState.tempoMicros = 777;
    Dispatch(c.event);
    EXPECT_EQ(songState.tempoMicros, c.tempo);
  }
  EXPECT_TRUE(TakeMidi().empty());
  EXPECT_TRUE(TakeRedraws().empty());
}

TEST_F(SongDispatchTest, SystemExclusiveGoesOutWholeBehindItsStatus) {
  Dispatch({0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  Dispatch({0xF7, 0x02, 0x43, 0xF7});
  Dispatch({0xF0, 0x00});
  Dispatch({0xF0, 0x81, 0x00, 0x01, 0x02});  // 128 bytes announced, 2 in the track
  EXPECT_EQ(TakeMidi(),
            (Calls{"long f0 7e 7f 09 01 f7", "long f7 43 f7", "long f0", "long f0 01 02"}));
  EXPECT_TRUE(TakeRedraws().empty());
}

}  // namespace
