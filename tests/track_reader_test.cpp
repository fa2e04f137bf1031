// Variable-length quantities and the track reader: timing, running status, the event
// table, rewinding, and tracks that end inside an event.
#include "smf/smf_writer.h"
#include "song/smf_writer.h"
#include "song/track_reader.h"
#include "test_support.h"

namespace {

// The events delivered since the last take, as "90 3c 40, c1 05".
std::string delivered;
void Record(const BYTE* event, DWORD length) {
  delivered += (delivered.empty() ? "" : ", ") + plk::smf::HexText(event, length);
}
std::string Events() { return std::exchange(delivered, {}); }

// A reader over its own copy of exactly the bytes given (so ASan sees any read past them)
// with the recording sink.
struct ReaderOver {
  explicit ReaderOver(const std::string& hex) {
    const Bytes bytes = plk::smf::HexBytes(hex);
    reader.ClearTrackReader();
    reader.start = new BYTE[bytes.size() + bytes.empty()];
    std::copy(bytes.begin(), bytes.end(), reader.start);
    reader.length = static_cast<DWORD>(bytes.size());
    reader.RewindTrackReader();
    reader.sink = Record;
    delivered.clear();
  }
  ~ReaderOver() { reader.ReleaseTrackReader(); }
  TrackReader reader;
};

TEST(VarLenTest, DecodesQuantitiesCountsTheirBytesAndReadsWhatTheWriterWrites) {
  // Bits above 32 are shifted out: the top of the first byte is lost. A count of 0: the
  // quantity does not end within the bytes available.
  struct Case {
    const char* bytes;
    DWORD available, value, count;
  } cases[] = {{"00", 1, 0, 1},
               {"81 00", 2, 128, 2},
               {"ff ff ff 7f", 4, 0xFFFFFFF, 4},
               {"ff ff ff ff 7f", 5, 0xFFFFFFFF, 5},
               {"81 80 00", 2, 0, 0}};
  for (const Case& c : cases) {
    DWORD count = 99;
    const DWORD value = DecodeVarLen(plk::smf::HexBytes(c.bytes).data(), c.available, &count);
    EXPECT_EQ(count, c.count) << c.bytes;
    EXPECT_EQ(c.count ? value : 0, c.value) << c.bytes;
  }
  // The writer's shortest form decodes to the value again.
  const std::pair<DWORD, const char*> written[] = {{0, "00"},
                                                   {0x7F, "7f"},
                                                   {0x80, "81 00"},
                                                   {0x4000, "81 80 00"},
                                                   {0xFFFFFFFF, "8f ff ff ff 7f"}};
  for (const auto& [value, hex] : written) {
    BYTE bytes[5];
    const DWORD length = WriteVarLen(bytes, value);
    EXPECT_EQ(plk::smf::HexText(bytes, length), hex);
    EXPECT_EQ(WriteVarLen(nullptr, value), length);
    DWORD count = 0;
    EXPECT_EQ(DecodeVarLen(bytes, length, &count), value);
  }
  ReaderOver track("81 00 05");
  EXPECT_EQ(track.reader.ReadVarLen(), 128u);
  EXPECT_EQ(track.reader.ReadVarLen(), 5u);
  EXPECT_EQ(track.reader.cursor, track.reader.start + 3);
}

TEST(TrackReaderTest, EventsComeWhenTheirTicksHavePassedAndTheRestRunsOn) {
  ReaderOver track("00 90 3c 40 00 c1 05 05 80 3c 00 03 c0 02 04 c0 03");
  EXPECT_EQ(track.reader.AdvanceTrack(0), 1u);
  EXPECT_EQ(Events(), "90 3c 40, c1 05");
  EXPECT_EQ(track.reader.AdvanceTrack(4), 1u);
  EXPECT_EQ(Events(), "");
  EXPECT_EQ(track.reader.AdvanceTrack(5), 1u);  // 1 to the note-off, 3 more to the next
  EXPECT_EQ(Events(), "80 3c 00, c0 02");
  EXPECT_EQ(track.reader.pendingDelta, 3u);
  EXPECT_EQ(track.reader.AdvanceTrack(3), 0u);  // the last event: the track is used up
  EXPECT_EQ(Events(), "c0 03");
  EXPECT_EQ(track.reader.AdvanceTrack(0xFFFFFFFF), 0u);
}

TEST(TrackReaderTest, EachStatusHasItsLengthAndUndefinedOnesAreSkipped) {
  // F4, F5 and FD are not delivered: their byte is read as the next delta time. Nor does
  // the end-of-track event end the reading.
  ReaderOver track(
      "00 a0 3c 10 00 d0 20 00 e0 00 40 00 f1 11 00 f2 01 02 00 f3 05 00 f6 00 f8 00 fe 00 f0 "
      "03 7e 7f f7 00 f7 01 42 00 ff 51 03 07 a1 20 00 ff 2f 00 00 f4 00 fc");
  track.reader.AdvanceTrack(0);
  EXPECT_EQ(Events(),
            "a0 3c 10, d0 20, e0 00 40, f1 11, f2 01 02, f3 05, f6, f8, fe, f0 03 7e 7f f7, "
            "f7 01 42, ff 51 03 07 a1 20, ff 2f 00");
  EXPECT_EQ(track.reader.pendingDelta, 0x74u << 7);  // f4 00 as a delta time
  EXPECT_EQ(track.reader.AdvanceTrack(0x74u << 7), 0u);
  EXPECT_EQ(Events(), "fc");
}

TEST(TrackReaderTest, RunningStatusGoesOnAfterChannelMessagesAndF1F2F3ButNotMetaOrSysex) {
  // After a meta or system-exclusive event the data byte 3e is a delta time (62 ticks),
  // then 41 is an event byte without a usable status, read as another delta time.
  const char* cases[][3] = {
      {"00 90 3c 40 00 3e 41 00 c1 05 00 06", "90 3c 40, 90 3e 41, c1 05, c1 06", "0"},
      {"00 90 3c 40 00 ff 01 00 3e 41", "90 3c 40, ff 01 00", "62"},
      {"00 90 3c 40 00 f0 00 3e 41", "90 3c 40, f0 00", "62"},
      {"00 f1 11 00 12", "f1 11, f1 12", "0"},
      {"00 f2 01 02 00 03 04", "f2 01 02, f2 03 04", "0"},
      {"00 f3 05 00 06", "f3 05, f3 06", "0"},
      {"00 40 3c", "", "64"}};  // a data byte first is a delta time
  for (const auto& c : cases) {
    ReaderOver track(c[0]);
    track.reader.AdvanceTrack(0);
    EXPECT_EQ(Events(), c[1]) << c[0];
    EXPECT_EQ(track.reader.pendingDelta, std::stoul(c[2])) << c[0];
  }
}

TEST(TrackReaderTest, RewindStartsOverWithoutRunningStatusReleaseKeepsTheSinkClearDoesNot) {
  ReaderOver track("00 90 3c 40 05 3e");
  EXPECT_EQ(track.reader.AdvanceTrack(2), 1u);
  track.reader.RewindTrackReader();
  EXPECT_EQ(track.reader.cursor, track.reader.start);
  EXPECT_EQ(track.reader.pendingDelta + track.reader.runningStatus, 0u);
  TrackReader moved = track.reader;
  track.reader.ClearTrackReader();  // the bytes now belong to `moved`
  EXPECT_EQ(track.reader.sink, nullptr);
  EXPECT_EQ(track.reader.AdvanceTrack(100), 0u);  // a reader that holds no track
  moved.ReleaseTrackReader();
  EXPECT_EQ(moved.start, nullptr);
  EXPECT_EQ(moved.cursor, nullptr);
  EXPECT_EQ(moved.sink, Record);
  ReaderOver unheard("00 90 3c 40");
  unheard.reader.sink = nullptr;  // a reader without a sink consumes its events
  EXPECT_EQ(unheard.reader.AdvanceTrack(0), 0u);
}

// Nothing past the track's bytes is read or delivered: the reader ends there.
TEST(TrackReaderTest, EventsCutOffByTheEndOfTheTrackEndIt) {
  const char* cases[][2] = {{"00 f8 81", "f8"},                       // delta time cut off
                            {"00 f8 05", "f8"},                       // delta time with no event
                            {"00 90 3c", ""},                         // note-on cut off
                            {"00 c0", ""},                            // program change cut off
                            {"00 90 3c 40 00 3e", "90 3c 40"},        // running status cut off
                            {"00 ff", ""},                            // meta type cut off
                            {"00 ff 01 83", ""},                      // meta length cut off
                            {"00 ff 01 05 41 42", "ff 01 05 41 42"},  // meta body cut short
                            {"00 f0", ""},  // system-exclusive length cut off
                            {"00 f0 8f ff ff ff 7f 01", "f0 8f ff ff ff 7f 01"}};
  for (const auto& c : cases) {
    ReaderOver track(c[0]);
    EXPECT_EQ(track.reader.AdvanceTrack(0xFFFFFFFF), 0u);
    EXPECT_EQ(Events(), c[1]) << c[0];
    EXPECT_EQ(track.reader.cursor, track.reader.start + track.reader.length);
    EXPECT_EQ(track.reader.AdvanceTrack(0xFFFFFFFF), 0u);
  }
}

}  // namespace
