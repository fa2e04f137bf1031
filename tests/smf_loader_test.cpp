// Loading Standard MIDI Files: what a good file gives, and what each failure leaves.
#include <gtest/gtest.h>

#include "song/smf_loader.h"
#include "song/song_dispatch.h"
#include "song_test_support.h"

using plk::smf::Chunk;
using plk::smf::File;
using plk::smf::Header;

namespace {

const Bytes kTrackA{0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
const Bytes kTrackB{0x00, 0xC1, 0x05};

class SmfLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSongState(); }
  void TearDown() override { ResetSongState(); }

  // A loaded two-track song with the clock state moved away from its defaults.
  void LoadPreviousSong() {
    ASSERT_TRUE(LoadSmf(WriteSongFile(File(96, {kTrackA, kTrackB}), "previous.mid").c_str()));
    songState.tempoMicros = 1234;
    songState.tickAccumulator = 77;
  }

  static Bytes TrackBytes(DWORD i) {
    const TrackReader& reader = songState.readers[i];
    return reader.start ? Bytes(reader.start, reader.start + reader.length) : Bytes{};
  }

  static void ExpectClearedWithSink(DWORD i) {
    const TrackReader& reader = songState.readers[i];
    EXPECT_EQ(reader.start, nullptr);
    EXPECT_EQ(reader.cursor, nullptr);
    EXPECT_EQ(reader.length, 0u);
    EXPECT_EQ(reader.sink, DispatchSongEvent);
  }
};

TEST_F(SmfLoaderTest, LoadsEveryTrackAtItsStart) {
  LoadPreviousSong();
  const Bytes file = File(480, {kTrackB, kTrackA, Bytes{}}) + Chunk("MTrk", kTrackA);
  ASSERT_TRUE(LoadSmf(WriteSongFile(file).c_str()));
  ASSERT_EQ(songState.trackCount, 3u);  // the surplus chunk is not looked at
  EXPECT_EQ(songState.ticksPerQuarter, 480u);
  EXPECT_EQ(songState.tempoMicros, 500000u);
  EXPECT_EQ(songState.tickAccumulator, 0u);
  EXPECT_EQ(TrackBytes(0), kTrackB);
  EXPECT_EQ(TrackBytes(1), kTrackA);
  for (DWORD i = 0; i < 3; i++) {
    const TrackReader& reader = songState.readers[i];
    EXPECT_EQ(reader.cursor, reader.start);
    EXPECT_EQ(reader.pendingDelta, 0u);
    EXPECT_EQ(reader.runningStatus, 0);
    EXPECT_EQ(reader.sink, DispatchSongEvent);
  }
  // An empty track is held but finished from the start.
  EXPECT_NE(songState.readers[2].cursor, nullptr);
  EXPECT_EQ(songState.readers[2].AdvanceTrack(1000), 0u);
}

TEST_F(SmfLoaderTest, HeaderFieldsAreTakenAsTheyStand) {
  struct Case {
    WORD format, division;
  };
  for (const Case c : {Case{2, 96}, Case{0, 0xE728}, Case{7, 0x8000}}) {
    Bytes file = Header(c.format, 1, c.division) + Chunk("MTrk", kTrackA);
    ASSERT_TRUE(LoadSmf(WriteSongFile(file).c_str()));
    EXPECT_EQ(songState.trackCount, 1u);
    EXPECT_EQ(songState.ticksPerQuarter, c.division);  // time-code form taken as ticks
  }
  ASSERT_TRUE(LoadSmf(WriteSongFile(Header(1, 0, 240)).c_str()));
  EXPECT_EQ(songState.trackCount, 0u);
  EXPECT_EQ(songState.readers, nullptr);
  EXPECT_EQ(songState.ticksPerQuarter, 240u);
}

TEST_F(SmfLoaderTest, AFileThatCannotBeOpenedKeepsThePreviousSong) {
  LoadPreviousSong();
  EXPECT_FALSE(LoadSmf("/nonexistent/plinkaro/song.mid"));
  ASSERT_EQ(songState.trackCount, 2u);
  EXPECT_EQ(TrackBytes(0), kTrackA);
  EXPECT_EQ(songState.tempoMicros, 1234u);
  EXPECT_EQ(songState.tickAccumulator, 77u);
}

TEST_F(SmfLoaderTest, WithoutAHeaderNoSongIsLeftAndTheClockKeepsItsValues) {
  const Bytes header = Header(1, 1, 96);
  const Bytes files[] = {
      Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96},
      Bytes{},
      Bytes{'M', 'T', 'h', 'd'},  // shorter than a header
      Bytes(header.begin(), header.begin() + 13),
  };
  for (const Bytes& file : files) {
    LoadPreviousSong();
    EXPECT_FALSE(LoadSmf(WriteSongFile(file).c_str()));
    EXPECT_EQ(songState.trackCount, 0u);
    EXPECT_EQ(songState.readers, nullptr);
    EXPECT_EQ(songState.ticksPerQuarter, 96u);
    EXPECT_EQ(songState.tempoMicros, 1234u);
    EXPECT_EQ(songState.tickAccumulator, 77u);
  }
}

// A bad chunk at track i: the tracks before it are held, it and the later ones stay
// cleared with their sink, the count and division are the new file's, the clock is not
// touched.
TEST_F(SmfLoaderTest, ABadChunkKeepsTheTracksBeforeIt) {
  struct Case {
    const char* name;
    Bytes file;
    DWORD trackCount, goodTracks;
  };
  Bytes longHeader = Header(1, 2, 120);
  longHeader[7] = 8;  // two more header bytes: the chunk is not where it is looked for
  longHeader = longHeader + Bytes{0, 0} + Chunk("MTrk", kTrackA);
  Bytes pastTheEnd = Header(1, 2, 120) + Chunk("MTrk", kTrackA) + Chunk("MTrk", kTrackB);
  pastTheEnd.pop_back();
  const Case cases[] = {
      {"other chunk type first",
       Header(1, 2, 120) + Chunk("XFIH", kTrackB) + Chunk("MTrk", kTrackA), 2, 0},
      {"other chunk between", Header(1, 3, 120) + Chunk("MTrk", kTrackA) + Chunk("MTrx", kTrackB),
       3, 1},
      {"header longer than 6", longHeader, 2, 0},
      {"fewer chunks than announced", Header(1, 65535, 120) + Chunk("MTrk", kTrackA), 65535, 1},
      {"chunk header cut off", Header(1, 2, 120) + Chunk("MTrk", kTrackA) + Bytes{'M', 'T', 'r'}, 2,
       1},
      {"chunk length past the end", pastTheEnd, 2, 1},
      {"chunk length 4 GiB",
       Header(1, 1, 120) + Bytes{'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xFF, 0}, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadPreviousSong();
    EXPECT_FALSE(LoadSmf(WriteSongFile(c.file).c_str()));
    ASSERT_EQ(songState.trackCount, c.trackCount);
    EXPECT_EQ(songState.ticksPerQuarter, 120u);
    EXPECT_EQ(songState.tempoMicros, 1234u);
    EXPECT_EQ(songState.tickAccumulator, 77u);
    for (DWORD i = 0; i < c.goodTracks; i++) EXPECT_EQ(TrackBytes(i), kTrackA);
    for (DWORD i = c.goodTracks; i < c.trackCount; i++) ExpectClearedWithSink(i);
  }
}

TEST_F(SmfLoaderTest, ReleaseSongFreesTheTracksAndKeepsTheClock) {
  LoadPreviousSong();
  songState.playTimerId = 5;
  ReleaseSong();
  EXPECT_EQ(songState.trackCount, 0u);
  EXPECT_EQ(songState.readers, nullptr);
  EXPECT_EQ(songState.tempoMicros, 1234u);
  EXPECT_EQ(songState.playTimerId, 5u);
  songState.playTimerId = 0;
}

TEST(TrackReaderTest, ReleaseKeepsTheSinkAndClearRemovesIt) {
  TrackReader reader;
  reader.ClearTrackReader();
  reader.start = new BYTE[3]{1, 2, 3};
  reader.cursor = reader.start + 1;
  reader.length = 3;
  reader.runningStatus = 0x90;
  reader.sink = DispatchSongEvent;
  reader.ReleaseTrackReader();
  EXPECT_EQ(reader.start, nullptr);
  EXPECT_EQ(reader.cursor, nullptr);
  EXPECT_EQ(reader.runningStatus, 0);
  EXPECT_EQ(reader.sink, DispatchSongEvent);
  reader.ClearTrackReader();
  EXPECT_EQ(reader.sink, nullptr);
}

}  // namespace
