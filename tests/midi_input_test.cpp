// MIDI input through the system, from a source played on the input's own thread: channel
// messages take the channel path, timing stays behind, system exclusive goes on in pieces
// as the buffers come back, and follow mode moves channel messages to the current channel.
#include <cstdlib>

#include "midi/channel_state.h"
#include "midi/midi_input.h"
#include "smf/smf_writer.h"
#include "test_support.h"
#include "winmm/testing/midi_source.h"

namespace {

class MidiInputTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    OpenMidiInputs();
    ASSERT_EQ(TakeMidi(), "in open");
  }
  void TearDown() override {
    CloseMidiInputs();
    CoreTest::TearDown();
  }
  void Play(std::initializer_list<Bytes> messages) {
    for (const Bytes& message : messages) source.Play(message);
    source.Flush();
  }
  static std::string Long(const Bytes& bytes) {
    return "long " + plk::smf::HexText(bytes.data(), bytes.size());
  }

  plk::winmm::testing::MidiSource source;
};

TEST_F(MidiInputTest, ChannelMessagesTakeTheChannelPathAndTimingStaysBehind) {
  Play({{0x91, 0x3C, 0x64},
        {0xF8},
        {0xC2, 0x07},
        {0xFE},
        {0xFA},
        {0x91, 0x3C, 0x00},
        {0x91, 0x40, 0x50}});
  EXPECT_EQ(ReadHeldCount(1, 0x3C), 0u);
  EXPECT_EQ(ReadHeldCount(1, 0x40), 1u);
  EXPECT_EQ(ReadInstrument(2), 7u);
  EXPECT_EQ(TakeMidi(), "91 3c 64, c2 07 00, fa 00 00, 91 3c 00, 91 40 50");
  EXPECT_EQ(TakeRedraws(), "key 1 60, header 2, key 1 60, key 1 64");
  KeyDown(VK_F3);  // notes from input are released like any other
  EXPECT_EQ(ReadHeldCount(1, 0x40), 0u);
  EXPECT_EQ(TakeMidi(), "81 40 7f, reset");
}

TEST_F(MidiInputTest, SystemExclusiveGoesOnPieceByPieceWhileTheBuffersComeBack) {
  Bytes dump(5000, 0x11);
  dump.front() = 0xF0;
  dump.back() = 0xF7;
  const Bytes first(dump.begin(), dump.begin() + 4096), rest(dump.begin() + 4096, dump.end());
  Play({{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, dump, {0xF0, 0x43, 0xF7}});
  EXPECT_EQ(TakeMidi(),
            "long f0 7e 7f 09 01 f7, " + Long(first) + ", " + Long(rest) + ", long f0 43 f7");
  EXPECT_EQ(TakeRedraws(), "");
}

TEST_F(MidiInputTest, FollowModePlaysChannelMessagesOnTheCurrentChannelUntransposed) {
  CloseMidiInputs();
  setenv("PLINKARO_MIDI_IN_CHANNEL", "current", 1);
  ReadInputChannelVariable();
  OpenMidiInputs();
  unsetenv("PLINKARO_MIDI_IN_CHANNEL");
  SelectChannel(5);
  SetBaseKey(5, 70);
  Forget();
  Play({{0x90, 0x3C, 0x64}, {0xC3, 0x07}, {0xF2, 0x01, 0x02}});
  EXPECT_EQ(ReadHeldCount(5, 0x3C), 1u);
  EXPECT_EQ(ReadInstrument(5), 7u);
  EXPECT_EQ(TakeMidi(), "95 3c 64, c5 07 00, f2 01 02");
  followCurrentChannel = FALSE;
}

}  // namespace
