// Song events to the output: short events through the channel path, tempo changes and
// system exclusive, by exact bytes.
#include "midi/channel_state.h"
#include "song/song_dispatch.h"
#include "song/song_state.h"
#include "test_support.h"

namespace {

class SongDispatchTest : public CoreTest {
 protected:
  static void Dispatch(const Bytes& event) {
    DispatchSongEvent(event.data(), static_cast<DWORD>(event.size()));
  }
};

TEST_F(SongDispatchTest, ShortEventsTakeTheChannelPathWithTheBytesTheyLackAsZero) {
  for (const Bytes& event : {Bytes{0x93, 0x3C, 0x50}, Bytes{0xC2, 0x07}, Bytes{0xF8}, Bytes{}}) {
    Dispatch(event);
  }
  EXPECT_EQ(ReadHeldCount(3, 0x3C), 1u);
  EXPECT_EQ(ReadInstrument(2), 7u);
  EXPECT_EQ(TakeMidi(), "93 3c 50, c2 07 00, f8 00 00");
  EXPECT_EQ(TakeRedraws(), "key 3 60, header 2");
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
      {{0xFF, 0x01, 0x03, 0x41, 0x42, 0x43}, 777},
  };
  for (const Case& c : cases) {
    songState.tempoMicros = 777;
    Dispatch(c.event);
    EXPECT_EQ(songState.tempoMicros, c.tempo);
  }
  EXPECT_EQ(TakeMidi() + TakeRedraws(), "");
}

TEST_F(SongDispatchTest, SystemExclusiveGoesOutWholeBehindItsStatus) {
  Dispatch({0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  Dispatch({0xF7, 0x02, 0x43, 0xF7});
  Dispatch({0xF0, 0x00});
  Dispatch({0xF0, 0x81, 0x00, 0x01, 0x02});  // 128 bytes announced, 2 in the track
  Dispatch({0xF0, 0x81});                    // the length itself cut off: nothing
  EXPECT_EQ(TakeMidi(), "long f0 7e 7f 09 01 f7, long f7 43 f7, long f0, long f0 01 02");
  EXPECT_EQ(TakeRedraws(), "");
}

}  // namespace
