// Variable-length quantities and the track reader: timing, running status, the event
// table, rewinding, and tracks that end inside an event.
#include <gtest/gtest.h>

#include "song/track_reader.h"
#include "test_support.h"

using Events = std::vector<Bytes>;

namespace {

Events delivered;
void Record(const BYTE* event, DWORD length) { delivered.emplace_back(event, event + length); }

Events TakeEvents() { return std::exchange(delivered, {}); }

// A reader over its own copy of exactly the bytes given (so ASan sees any read past them)
// with the recording sink.
struct ReaderOver {
  explicit ReaderOver(const Bytes& bytes) {
    reader.ClearTrackReader();
    reader.start = new BYTE[bytes.size() + !bytes.size()];
    std::copy(bytes.begin(), bytes.end(), reader.start);
    reader.length = static_cast<DWORD>(bytes.size());
    reader.RewindTrackReader();
    reader.sink = Record;
    delivered.clear();
  }
  ~ReaderOver() { reader.ReleaseTrackReader(); }
  TrackReader reader;
};

TEST(DecodeVarLenTest, DecodesQuantitiesAndCountsTheirBytes) {
  struct Case {
    Bytes bytes;
    DWORD available, value, count;  // count 0: the quantity does not end within `available`
  };
  const Case cases[] = {
      {{0x00}, 1, 0, 1},
      {{0x7F}, 1, 127, 1},
      {{0x81, 0x00}, 2, 128, 2},
      {{0xFF, 0x7F}, 2, 16383, 2},
      {{0x81, 0x80, 0x80, 0x00}, 4, 2097152, 4},
      {{0xFF, 0xFF, 0xFF, 0x7F}, 4, 268435455, 4},
      // Bits above 32 are shifted out: the top of the first byte is lost.
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, 5, 0xFFFFFFFF, 5},
      {{0x81, 0x80, 0x80, 0x80, 0x80, 0x00}, 6, 0, 6},
      {{0x81, 0x80, 0x00}, 2, 0, 0},  // the value of a cut quantity is not looked at
  };
  for (const Case& c : cases) {
    DWORD count = 99;
    const DWORD value = DecodeVarLen(c.bytes.data(), c.available, &count);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(c.count ? value : 0, c.value);
  }
  ReaderOver track({0x81, 0x00, 0x05});
  EXPECT_EQ(track.reader.ReadVarLen(), 128u);
  EXPECT_EQ(track.reader.ReadVarLen(), 5u);
  EXPECT_EQ(track.reader.cursor, track.reader.start + 3);
}

TEST(TrackReaderTest, EventsComeWhenTheirTicksHavePassedAndTheRestRunsOn) {
  ReaderOver track({0x00, 0x90, 0x3C, 0x40, 0x00, 0xC1, 0x05, 0x05, 0x80, 0x3C, 0x00, 0x03, 0xC0,
                    0x02, 0x04, 0xC0, 0x03});
  EXPECT_EQ(track.reader.AdvanceTrack(0), 1u);
  EXPECT_EQ(TakeEvents(), (Events{{0x90, 0x3C, 0x40}, {0xC1, 0x05}}));
  EXPECT_EQ(track.reader.AdvanceTrack(4), 1u);
  EXPECT_EQ(TakeEvents(), Events{});
  EXPECT_EQ(track.reader.pendingDelta, 1u);
  EXPECT_EQ(track.reader.AdvanceTrack(5), 1u);  // 1 to the note-off, 3 more to the next
  EXPECT_EQ(TakeEvents(), (Events{{0x80, 0x3C, 0x00}, {0xC0, 0x02}}));
  EXPECT_EQ(track.reader.pendingDelta, 3u);
  EXPECT_EQ(track.reader.AdvanceTrack(3), 0u);  // the last event: the track is used up
  EXPECT_EQ(TakeEvents(), (Events{{0xC0, 0x03}}));
  EXPECT_EQ(track.reader.AdvanceTrack(0xFFFFFFFF), 0u);
}

TEST(TrackReaderTest, EachStatusHasItsLengthAndUndefinedOnesAreSkipped) {
  // F4, F5 and FD are not delivered: their byte is read as the next delta time. Nor does
  // the end-of-track event end the reading.
  ReaderOver track({0x00, 0xA0, 0x3C, 0x10, 0x00, 0xD0, 0x20, 0x00, 0xE0, 0x00, 0x40, 0x00, 0xF1,
                    0x11, 0x00, 0xF2, 0x01, 0x02, 0x00, 0xF3, 0x05, 0x00, 0xF6, 0x00, 0xF8, 0x00,
                    0xFE, 0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xF7, 0x01, 0x42, 0x00, 0xFF,
                    0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00, 0x00, 0xF4, 0x00, 0xFC});
  track.reader.AdvanceTrack(0);
  EXPECT_EQ(TakeEvents(), (Events{{0xA0, 0x3C, 0x10},
                                  {0xD0, 0x20},
                                  {0xE0, 0x00, 0x40},
                                  {0xF1, 0x11},
                                  {0xF2, 0x01, 0x02},
                                  {0xF3, 0x05},
                                  {0xF6},
                                  {0xF8},
                                  {0xFE},
                                  {0xF0, 0x03, 0x7E, 0x7F, 0xF7},
                                  {0xF7, 0x01, 0x42},
                                  {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
                                  {0xFF, 0x2F, 0x00}}));
  EXPECT_EQ(track.reader.pendingDelta, 0x74u << 7);  // 0xF4 0x00 as a delta time
  EXPECT_EQ(track.reader.AdvanceTrack(0x74u << 7), 0u);
  EXPECT_EQ(TakeEvents(), (Events{{0xFC}}));
}

TEST(TrackReaderTest, RunningStatusIsDeliveredFromTheReadersOwnBytes) {
  static std::vector<const BYTE*> pointers;
  ReaderOver track({0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E, 0x41, 0x00, 0xC1, 0x05, 0x00, 0x06});
  track.reader.sink = [](const BYTE* event, DWORD length) {
    pointers.push_back(event);
    Record(event, length);
  };
  track.reader.AdvanceTrack(0);
  EXPECT_EQ(TakeEvents(),
            (Events{{0x90, 0x3C, 0x40}, {0x90, 0x3E, 0x41}, {0xC1, 0x05}, {0xC1, 0x06}}));
  ASSERT_EQ(pointers.size(), 4u);
  EXPECT_EQ(pointers[1], &track.reader.runningStatus);
  EXPECT_EQ(pointers[3], &track.reader.runningStatus);
  EXPECT_EQ(track.reader.data2, 0x41);  // a running program change leaves the third byte
}

TEST(TrackReaderTest, RunningStatusEndsAtMetaAndSystemExclusiveButGoesOnAfterF1F2F3) {
  struct Case {
    Bytes track;
    Events delivered;
    DWORD pendingAfter;
  };
  const Case cases[] = {
      // After a meta event the data byte 0x3E is a delta time (62 ticks), then 0x41 is
      // an event byte without a usable status, read as another delta time.
      {{0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x00, 0x3E, 0x41},
       {{0x90, 0x3C, 0x40}, {0xFF, 0x01, 0x00}},
       62},
      {{0x00, 0x90, 0x3C, 0x40, 0x00, 0xF0, 0x00, 0x3E, 0x41},
       {{0x90, 0x3C, 0x40}, {0xF0, 0x00}},
       62},
      {{0x00, 0xF1, 0x11, 0x00, 0x12}, {{0xF1, 0x11}, {0xF1, 0x12}}, 0},
      {{0x00, 0xF2, 0x01, 0x02, 0x00, 0x03, 0x04}, {{0xF2, 0x01, 0x02}, {0xF2, 0x03, 0x04}}, 0},
      {{0x00, 0xF3, 0x05, 0x00, 0x06}, {{0xF3, 0x05}, {0xF3, 0x06}}, 0},
      {{0x00, 0x40, 0x3C}, {}, 0x40},  // a data byte first in a track is a delta time
  };
  for (const Case& c : cases) {
    ReaderOver track(c.track);
    track.reader.AdvanceTrack(0);
    EXPECT_EQ(TakeEvents(), c.delivered);
    EXPECT_EQ(track.reader.pendingDelta, c.pendingAfter);
  }
}

TEST(TrackReaderTest, RewindStartsOverWithoutRunningStatusReleaseKeepsTheSinkClearDoesNot) {
  ReaderOver track({0x00, 0x90, 0x3C, 0x40, 0x05, 0x3E});
  EXPECT_EQ(track.reader.AdvanceTrack(2), 1u);
  track.reader.RewindTrackReader();
  EXPECT_EQ(track.reader.cursor, track.reader.start);
  EXPECT_EQ(track.reader.pendingDelta, 0u);
  EXPECT_EQ(track.reader.runningStatus, 0);
  TrackReader moved = track.reader;
  track.reader.ClearTrackReader();  // the bytes now belong to `moved`
  EXPECT_EQ(track.reader.sink, nullptr);
  EXPECT_EQ(track.reader.AdvanceTrack(100), 0u);  // a reader that holds no track
  moved.ReleaseTrackReader();
  EXPECT_EQ(moved.start, nullptr);
  EXPECT_EQ(moved.cursor, nullptr);
  EXPECT_EQ(moved.sink, Record);
  ReaderOver unheard({0x00, 0x90, 0x3C, 0x40});
  unheard.reader.sink = nullptr;  // a reader without a sink consumes its events
  EXPECT_EQ(unheard.reader.AdvanceTrack(0), 0u);
}

// Nothing past the track's bytes is read or delivered: the reader ends there.
TEST(TrackReaderTest, EventsCutOffByTheEndOfTheTrackEndIt) {
  struct Case {
    const char* name;
    Bytes track;
    Events delivered;
  };
  const Case cases[] = {
      {"delta time cut off", {0x00, 0xF8, 0x81}, {{0xF8}}},
      {"delta time with no event", {0x00, 0xF8, 0x05}, {{0xF8}}},
      {"note-on cut off", {0x00, 0x90, 0x3C}, {}},
      {"program change cut off", {0x00, 0xC0}, {}},
      {"running status cut off", {0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E}, {{0x90, 0x3C, 0x40}}},
      {"meta type cut off", {0x00, 0xFF}, {}},
      {"meta length cut off", {0x00, 0xFF, 0x01, 0x83}, {}},
      {"meta body cut short",
       {0x00, 0xFF, 0x01, 0x05, 0x41, 0x42},
       {{0xFF, 0x01, 0x05, 0x41, 0x42}}},
      {"sysex length cut off", {0x00, 0xF0}, {}},
      {"sysex body cut short",
       {0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x01},
       {{0xF0, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x01}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReaderOver track(c.track);
    EXPECT_EQ(track.reader.AdvanceTrack(0xFFFFFFFF), 0u);
    EXPECT_EQ(TakeEvents(), c.delivered);
    EXPECT_EQ(track.reader.cursor, track.reader.start + track.reader.length);
    EXPECT_EQ(track.reader.AdvanceTrack(0xFFFFFFFF), 0u);
  }
}

}  // namespace
