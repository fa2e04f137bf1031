// Loading Standard MIDI Files: what a good file gives, and what each failure leaves.
#include <gtest/gtest.h>

#include "smf/smf_writer.h"
#include "song/smf_loader.h"
#include "song/song_dispatch.h"
#include "song/song_state.h"
#include "test_support.h"

using plk::smf::Chunk;
using plk::smf::File;
using plk::smf::Header;
using plk::smf::operator+;

namespace {

const Bytes kTrackA{0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
const Bytes kTrackB{0x00, 0xC1, 0x05};

class SmfLoaderTest : public CoreTest {
 protected:
  static BOOL Load(const Bytes& file) { return LoadSmf(WriteTestFile(file, "song.mid").c_str()); }
  // A loaded two-track song with the clock moved away from its defaults.
  static void LoadPreviousSong() {
    ASSERT_TRUE(Load(File(96, {kTrackA, kTrackB})));
    songState.tempoMicros = 1234;
    songState.tickAccumulator = 77;
  }
  static void ExpectClockKept() {
    EXPECT_EQ(songState.tempoMicros, 1234u);
    EXPECT_EQ(songState.tickAccumulator, 77u);
  }
  static Bytes TrackBytes(DWORD i) {
    const TrackReader& reader = songState.readers[i];
    return reader.start ? Bytes(reader.start, reader.start + reader.length) : Bytes{};
  }
};

TEST_F(SmfLoaderTest, LoadsEveryTrackAtItsStartAndResetsTheClock) {
  LoadPreviousSong();
  // Any format; a division in the time-code form is taken as ticks.
  ASSERT_TRUE(Load(File(0xE728, {kTrackB, kTrackA, Bytes{}}, 7) + Chunk("MTrk", kTrackA)));
  ASSERT_EQ(songState.trackCount, 3u);  // the surplus chunk is not looked at
  EXPECT_EQ(songState.ticksPerQuarter, 0xE728u);
  EXPECT_EQ(songState.tempoMicros, 500000u);
  EXPECT_EQ(songState.tickAccumulator, 0u);
  EXPECT_EQ(TrackBytes(0), kTrackB);
  EXPECT_EQ(TrackBytes(1), kTrackA);
  for (DWORD i = 0; i < 3; i++) {
    EXPECT_EQ(songState.readers[i].cursor, songState.readers[i].start);
    EXPECT_EQ(songState.readers[i].sink, DispatchSongEvent);
  }
  // An empty track is held but finished from the start.
  EXPECT_NE(songState.readers[2].cursor, nullptr);
  EXPECT_EQ(songState.readers[2].AdvanceTrack(1000), 0u);
  ASSERT_TRUE(Load(Header(1, 0, 240)));
  EXPECT_EQ(songState.readers, nullptr);
}

TEST_F(SmfLoaderTest, AFileThatCannotBeReadKeepsThePreviousSong) {
  LoadPreviousSong();
  EXPECT_FALSE(LoadSmf("/nonexistent/plinkaro/song.mid"));
  ASSERT_EQ(songState.trackCount, 2u);
  EXPECT_EQ(TrackBytes(0), kTrackA);
  ExpectClockKept();
}

TEST_F(SmfLoaderTest, WithoutAHeaderNoSongIsLeftAndTheClockKeepsItsValues) {
  const Bytes header = Header(1, 1, 96);
  const Bytes files[] = {Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96}, Bytes{},
                         Bytes(header.begin(), header.begin() + 13)};
  for (const Bytes& file : files) {
    LoadPreviousSong();
    EXPECT_FALSE(Load(file));
    EXPECT_EQ(songState.trackCount, 0u);
    EXPECT_EQ(songState.readers, nullptr);
    EXPECT_EQ(songState.ticksPerQuarter, 96u);
    ExpectClockKept();
  }
}

// A bad chunk at track i: the tracks before it are held, it and the later ones stay
// cleared with their sink, the count and division are the new file's, the clock is kept.
TEST_F(SmfLoaderTest, ABadChunkKeepsTheTracksBeforeIt) {
  struct Case {
    const char* name;
    Bytes file;
    DWORD trackCount, goodTracks;
  };
  Bytes longHeader = Header(1, 2, 120);
  longHeader[7] = 8;  // two more header bytes: the chunk is not where it is looked for
  Bytes pastTheEnd = Header(1, 2, 120) + Chunk("MTrk", kTrackA) + Chunk("MTrk", kTrackB);
  pastTheEnd.pop_back();
  const Case cases[] = {
      {"other chunk type first", Header(1, 2, 120) + Chunk("XFIH", kTrackB), 2, 0},
      {"other chunk between", Header(1, 3, 120) + Chunk("MTrk", kTrackA) + Chunk("MTrx", kTrackB),
       3, 1},
      {"header longer than 6", longHeader + Bytes{0, 0} + Chunk("MTrk", kTrackA), 2, 0},
      {"fewer chunks than announced", Header(1, 65535, 120) + Chunk("MTrk", kTrackA), 65535, 1},
      {"chunk header cut off", Header(1, 2, 120) + Chunk("MTrk", kTrackA) + Bytes{'M', 'T'}, 2, 1},
      {"chunk length past the end", pastTheEnd, 2, 1},
      {"chunk length 4 GiB", Header(1, 1, 120) + Bytes{'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xFF},
       1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadPreviousSong();
    EXPECT_FALSE(Load(c.file));
    ASSERT_EQ(songState.trackCount, c.trackCount);
    EXPECT_EQ(songState.ticksPerQuarter, 120u);
    ExpectClockKept();
    for (DWORD i = 0; i < c.trackCount; i++) {
      EXPECT_EQ(TrackBytes(i), i < c.goodTracks ? kTrackA : Bytes{}) << "track " << i;
      EXPECT_EQ(songState.readers[i].sink, DispatchSongEvent);
    }
  }
}

}  // namespace
