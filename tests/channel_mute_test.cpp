// Mute and solo: which song notes go out, what stays counted and lit, and what is sent
// when a channel falls silent.
#include "midi/channel_mute.h"
#include "midi/channel_state.h"
#include "midi/instrument_names.h"
#include "song/song_dispatch.h"
#include "test_support.h"

namespace {

class ChannelMuteTest : public CoreTest {
 protected:
  void TearDown() override {
    UnmuteAllChannels();
    CoreTest::TearDown();
  }
  static void Song(const Bytes& event) {
    DispatchSongEvent(event.data(), static_cast<DWORD>(event.size()));
  }
};

TEST_F(ChannelMuteTest, AMutedChannelsSongNotesAreCountedAndDrawnButNotSent) {
  Song({0x92, 0x3C, 0x40});
  Forget();
  SetChannelMuted(2, TRUE);
  // What sounded stops; the key stays lit, and the header shows the mute.
  EXPECT_EQ(TakeMidi(), "82 3c 7f");
  EXPECT_EQ(TakeRedraws(), "header 2");
  EXPECT_EQ(ReadHeldCount(2, 0x3C), 1u);
  for (const Bytes& event : {Bytes{0x92, 0x40, 0x40}, Bytes{0x82, 0x3C, 0x40},
                             Bytes{0x92, 0x40, 0x00}, Bytes{0xB2, 0x07, 0x64}, Bytes{0xC2, 0x05}}) {
    Song(event);
  }
  EXPECT_EQ(TakeMidi(), "b2 07 64, c2 05 00");  // controllers and programs still go out
  EXPECT_EQ(TakeRedraws(), "key 2 64, key 2 60, key 2 64, header 2");
  // Keys still play on it.
  SendKeyNote(TRUE, 2, 0x3C);
  SendKeyNote(FALSE, 2, 0x3C);
  EXPECT_EQ(TakeMidi(), "92 3c 7f, 82 3c 7f");
  SetChannelMuted(2, FALSE);
  Song({0x92, 0x3C, 0x40});
  EXPECT_EQ(TakeMidi(), "92 3c 40");
}

TEST_F(ChannelMuteTest, SoloedChannelsAloneSoundAndUnmuteAllClearsEverything) {
  struct Step {
    void (*change)();
    const char* sent;  // a song note-on on channels 0, 1 and 2
  };
  const Step steps[] = {
      {[] { SetChannelSoloed(1, TRUE); }, "91 3c 40"},
      {[] { SetChannelSoloed(2, TRUE); }, "91 3c 40, 92 3c 40"},
      {[] { SetChannelMuted(2, TRUE); }, "91 3c 40"},
      {[] { SetChannelSoloed(1, FALSE); }, ""},  // channel 2 is soloed but muted
      {UnmuteAllChannels, "90 3c 40, 91 3c 40, 92 3c 40"},
  };
  for (const Step& step : steps) {
    step.change();
    Forget();
    for (BYTE ch = 0; ch < 3; ch++) Song({BYTE(0x90 | ch), 0x3C, 0x40});
    EXPECT_EQ(TakeMidi(), step.sent);
    for (BYTE ch = 0; ch < 3; ch++) Song({BYTE(0x80 | ch), 0x3C, 0x40});
  }
  EXPECT_FALSE(ChannelMuted(2) || ChannelSoloed(1) || ChannelSoloed(2));
}

TEST_F(ChannelMuteTest, TheResetKeysSilenceMutedChannelsAndKeepTheMute) {
  SetChannelMuted(4, TRUE);
  for (int key : {VK_F3, VK_F2, VK_F1}) {
    Song({0x94, 0x3C, 0x40});
    KeyDown(key);
    KeyUp(key);
    EXPECT_EQ(ReadHeldCount(4, 0x3C), 0u) << key;
    EXPECT_TRUE(ChannelMuted(4)) << key;
  }
}

TEST_F(ChannelMuteTest, AnInstrumentChosenByNameIsSentAsAnEditWouldSendIt) {
  SendInstrument(9, 0x00030201);
  Forget();
  ChooseInstrument(9, DrumKitTable[4].program);
  EXPECT_EQ(TakeMidi(), "b9 00 00, b9 20 00, c9 19 00");
  EXPECT_EQ(ReadInstrument(9), 25u);
  EXPECT_EQ(TakeRedraws(), "header 9");
  EXPECT_STREQ(ProgramNameTable[127], "Gunshot");
  EXPECT_STREQ(ProgramFamilyTable[127 / PROGRAMS_PER_FAMILY], "Sound Effects");
}

}  // namespace
