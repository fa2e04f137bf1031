// Variable-length quantities and the track reader: timing, running status, the event
// table, and tracks that end inside an event.
#include <gtest/gtest.h>

#include "song/track_reader.h"
#include "song_test_support.h"

using plk::smf::VarLen;
using Events = std::vector<Bytes>;

namespace {

TEST(DecodeVarLenTest, DecodesExamplesAndCountsBytes) {
  struct Case {
    Bytes bytes;
    DWORD value, count;
  };
  const Case cases[] = {
      {{0x00}, 0, 1},
      {{0x7F}, 127, 1},
      {{0x81, 0x00}, 128, 2},
      {{0xFF, 0x7F}, 16383, 2},
      {{0xFF, 0xFF, 0xFF, 0x7F}, 268435455, 4},
      {{0x8F, 0xFF, 0xFF, 0xFF, 0x7F}, 0xFFFFFFFF, 5},
      // Bits above 32 are shifted out: the top of the first byte is lost.
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, 0xFFFFFFFF, 5},
      {{0x81, 0x80, 0x80, 0x80, 0x80, 0x00}, 0, 6},
  };
  for (const Case& c : cases) {
    DWORD count = 99;
    EXPECT_EQ(DecodeVarLen(c.bytes.data(), static_cast<DWORD>(c.bytes.size()), &count), c.value);
    EXPECT_EQ(count, c.count);
  }
}

TEST(DecodeVarLenTest, AQuantityCutOffByTheLimitReportsNoBytes) {
  const Bytes bytes{0x81, 0x80, 0x00};
  DWORD count = 99;
  DecodeVarLen(bytes.data(), 2, &count);
  EXPECT_EQ(count, 0u);
  for (DWORD value : {0u, 127u, 128u, 16383u, 2097152u, 0x0FFFFFFFu}) {
    const Bytes encoded = VarLen(value);
    EXPECT_EQ(DecodeVarLen(encoded.data(), static_cast<DWORD>(encoded.size()), &count), value);
    EXPECT_EQ(count, encoded.size());
  }
}

TEST(ReadVarLenTest, MovesTheCursorPastTheQuantity) {
  ReaderOver track({0x81, 0x00, 0x05});
  DWORD count = 0;
  EXPECT_EQ(track.reader.ReadVarLen(&count), 128u);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(track.reader.ReadVarLen(), 5u);
  EXPECT_EQ(track.reader.cursor, track.reader.start + 3);
}

TEST(AdvanceTrackTest, ZeroTicksDeliverEverythingAtDeltaZeroAndKeepTheNextDelta) {
  ReaderOver track({0x00, 0x90, 0x3C, 0x40, 0x00, 0x91, 0x3E, 0x40, 0x05, 0x80, 0x3C, 0x00});
  EXPECT_EQ(track.reader.AdvanceTrack(0), 1u);
  EXPECT_EQ(SinkRecord::Take(), (Events{{0x90, 0x3C, 0x40}, {0x91, 0x3E, 0x40}}));
  EXPECT_EQ(track.reader.pendingDelta, 5u);
  EXPECT_EQ(track.reader.AdvanceTrack(4), 1u);
  EXPECT_TRUE(SinkRecord::Take().empty());
  EXPECT_EQ(track.reader.pendingDelta, 1u);
  // Ticks equal to what is pending deliver the event, then the track is used up.
  EXPECT_EQ(track.reader.AdvanceTrack(1), 0u);
  EXPECT_EQ(SinkRecord::Take(), (Events{{0x80, 0x3C, 0x00}}));
}

TEST(AdvanceTrackTest, TheRestOfTheTicksRunsOnAfterADueEvent) {
  ReaderOver track({0x04, 0xC0, 0x01, 0x03, 0xC0, 0x02, 0x05, 0xC0, 0x03});
  EXPECT_EQ(track.reader.AdvanceTrack(10), 1u);
  EXPECT_EQ(SinkRecord::Take(), (Events{{0xC0, 0x01}, {0xC0, 0x02}}));
  EXPECT_EQ(track.reader.pendingDelta, 2u);
  EXPECT_EQ(track.reader.AdvanceTrack(2), 0u);
  EXPECT_EQ(SinkRecord::Take(), (Events{{0xC0, 0x03}}));
}

TEST(AdvanceTrackTest, EventTableGivesLengthsAndSkipsUndefinedStatus) {
  // F4, F5 and FD are not delivered: their byte becomes the next delta time, so each is
  // followed by a byte that ends the quantity (0x00).
  ReaderOver track({0x00, 0xA0, 0x3C, 0x10, 0x00, 0xD0, 0x20, 0x00, 0xE0, 0x00, 0x40,
                    0x00, 0xF1, 0x11, 0x00, 0xF2, 0x01, 0x02, 0x00, 0xF3, 0x05, 0x00,
                    0xF6, 0x00, 0xF8, 0x00, 0xFE, 0x00, 0xF4, 0x00, 0xFC});
  track.reader.AdvanceTrack(0);
  EXPECT_EQ(SinkRecord::Take(), (Events{{0xA0, 0x3C, 0x10},
                                        {0xD0, 0x20},
                                        {0xE0, 0x00, 0x40},
                                        {0xF1, 0x11},
                                        {0xF2, 0x01, 0x02},
                                        {0xF3, 0x05},
                                        {0xF6},
                                        {0xF8},
                                        {0xFE}}));
  // 0xF4 0x00 read as a delta time of (0x74 << 7) ticks.
  EXPECT_EQ(track.reader.pendingDelta, 0x74u << 7);
  EXPECT_EQ(track.reader.runningStatus, 0xF4);
  EXPECT_EQ(track.reader.AdvanceTrack(0x74u << 7), 0u);
  EXPECT_EQ(SinkRecord::Take(), (Events{{0xFC}}));
}

TEST(AdvanceTrackTest, SystemExclusiveAndMetaEventsAreDeliveredWhole) {
  ReaderOver track({0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xF7, 0x01, 0x42,
                    0x00, 0xF0, 0x00, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,
                    0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x3C, 0x40});
  EXPECT_EQ(track.reader.AdvanceTrack(0), 0u);
  EXPECT_EQ(SinkRecord::Take(), (Events{{0xF0, 0x03, 0x7E, 0x7F, 0xF7},
                                        {0xF7, 0x01, 0x42},
                                        {0xF0, 0x00},
                                        {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
                                        {0xFF, 0x2F, 0x00},
                                        // bytes after the end of track are read too
                                        {0x90, 0x3C, 0x40}}));
}

TEST(AdvanceTrackTest, RunningStatusIsDeliveredFromTheReadersOwnBytes) {
  std::vector<const BYTE*> pointers;
  static std::vector<const BYTE*>* seen;
  seen = &pointers;
  ReaderOver track({0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E, 0x41, 0x00, 0xC1, 0x05, 0x00, 0x06});
  track.reader.sink = [](const BYTE* event, DWORD length) {
    seen->push_back(event);
    RecordEvent(event, length);
  };
  track.reader.AdvanceTrack(0);
  EXPECT_EQ(SinkRecord::Take(),
            (Events{{0x90, 0x3C, 0x40}, {0x90, 0x3E, 0x41}, {0xC1, 0x05}, {0xC1, 0x06}}));
  ASSERT_EQ(pointers.size(), 4u);
  EXPECT_EQ(pointers[1], &track.reader.runningStatus);
  // The running program change leaves the third byte at the pointer from the note-on.
  EXPECT_EQ(pointers[3], &track.reader.runningStatus);
  EXPECT_EQ(track.reader.data1, 0x06);
  EXPECT_EQ(track.reader.data2, 0x41);
}

TEST(AdvanceTrackTest, RunningStatusEndsAtMetaAndSystemExclusiveButGoesOnAfterF1F2F3) {
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
      // A data byte first in a track is read as a delta time.
      {{0x00, 0x40, 0x3C}, {}, 0x40},
  };
  for (const Case& c : cases) {
    ReaderOver track(c.track);
    track.reader.AdvanceTrack(0);
    EXPECT_EQ(SinkRecord::Take(), c.delivered);
    EXPECT_EQ(track.reader.pendingDelta, c.pendingAfter);
  }
}

TEST(AdvanceTrackTest, AFinishedOrEmptyReaderReturnsZeroAndDeliversNothing) {
  ReaderOver track({0x00, 0xF8});
  EXPECT_EQ(track.reader.AdvanceTrack(0), 0u);
  SinkRecord::Take();
  for (DWORD ticks : {0u, 1u, 0xFFFFFFFFu}) {
    EXPECT_EQ(track.reader.AdvanceTrack(ticks), 0u);
  }
  TrackReader empty;
  empty.ClearTrackReader();
  empty.sink = RecordEvent;
  EXPECT_EQ(empty.AdvanceTrack(100), 0u);
  ReaderOver none(Bytes{});
  EXPECT_EQ(none.reader.AdvanceTrack(100), 0u);
  EXPECT_TRUE(SinkRecord::Take().empty());
}

TEST(AdvanceTrackTest, NullSinkConsumesEvents) {
  ReaderOver track({0x00, 0x90, 0x3C, 0x40, 0x00, 0xF8});
  track.reader.sink = nullptr;
  EXPECT_EQ(track.reader.AdvanceTrack(0), 0u);
  EXPECT_EQ(track.reader.cursor, track.reader.start + track.reader.length);
}

// Nothing past the track's bytes is read or delivered: the reader ends there. Each case
// is copied into a buffer of exactly its size, so ASan sees any read beyond it.
TEST(AdvanceTrackTest, EventsCutOffByTheEndOfTheTrackEndIt) {
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
    delete[] track.reader.start;
    track.reader.start = new BYTE[c.track.size()];
    std::copy(c.track.begin(), c.track.end(), track.reader.start);
    track.reader.cursor = track.reader.start;
    EXPECT_EQ(track.reader.AdvanceTrack(0xFFFFFFFF), 0u);
    EXPECT_EQ(SinkRecord::Take(), c.delivered);
    EXPECT_EQ(track.reader.cursor, track.reader.start + track.reader.length);
    EXPECT_EQ(track.reader.AdvanceTrack(0xFFFFFFFF), 0u);
  }
}

}  // namespace
