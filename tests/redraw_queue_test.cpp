// The redraw ring: capacity, order across the 2^32 wrap, discarding, and two producers.
#include <thread>

#include "core_fixture.h"

namespace {

class RedrawQueueTest : public CoreTest {};

TEST_F(RedrawQueueTest, AFullQueueDropsTheNewestAndAcceptsAgainAfterConsuming) {
  for (DWORD i = 0; i < REDRAW_QUEUE_SIZE; i++) PushRedraw(REDRAW_KEY, i % 16, i % 128, 0);
  EXPECT_EQ(PendingRedraws(), 1024u);
  EXPECT_EQ(redrawQueue.commandLost, 0);
  PushRedraw(REDRAW_ROW, 7, 0, 0);
  EXPECT_EQ(PendingRedraws(), 1024u);
  EXPECT_EQ(redrawQueue.commandLost, 1);
  EXPECT_EQ(redrawQueue.slots[0].kind, DWORD(REDRAW_KEY));  // pending commands untouched
  redrawQueue.readIndex++;                                  // one consumed
  PushRedraw(REDRAW_HEADER, 9, 0, 0);
  EXPECT_EQ(redrawQueue.slots[0].kind, DWORD(REDRAW_HEADER));
  EXPECT_EQ(redrawQueue.slots[0].channel, 9u);
  EXPECT_EQ(PendingRedraws(), 1024u);
}

TEST_F(RedrawQueueTest, CommandsKeepTheirOrderAcrossTheCounterWrap) {
  redrawQueue.writeIndex = redrawQueue.readIndex = 0xFFFFFFFEu;
  for (DWORD key = 0; key < 5; key++) PushRedraw(REDRAW_KEY, 1, key, 0);
  EXPECT_EQ(redrawQueue.writeIndex, 3u);
  EXPECT_EQ(PendingRedraws(), 5u);
  EXPECT_EQ(TakeRedraws(), KeyRedraws(1, {0, 1, 2, 3, 4}));
}

TEST_F(RedrawQueueTest, AFullQueueIsDetectedAcrossTheWrap) {
  redrawQueue.writeIndex = redrawQueue.readIndex = 0xFFFFFF00u;
  for (int i = 0; i < REDRAW_QUEUE_SIZE + 3; i++) PushRedraw(REDRAW_KEY, 0, 1, 0);
  EXPECT_EQ(PendingRedraws(), 1024u);
  EXPECT_EQ(redrawQueue.writeIndex, 0xFFFFFF00u + 1024u);
}

TEST_F(RedrawQueueTest, DiscardEmptiesTheQueueAndForgetsALostCommand) {
  DiscardRedraws();
  EXPECT_EQ(PendingRedraws(), 0u);
  for (int i = 0; i <= REDRAW_QUEUE_SIZE; i++) PushRedraw(REDRAW_ROW, 0, 0, 0);
  DiscardRedraws();
  EXPECT_EQ(PendingRedraws(), 0u);
  EXPECT_EQ(redrawQueue.readIndex, 1024u);
  EXPECT_EQ(redrawQueue.commandLost, 0);
  EXPECT_TRUE(TakeRedraws().empty());
}

TEST_F(RedrawQueueTest, TwoProducersNeverShareASlot) {
  const int perThread = 400;
  auto produce = [](DWORD channel) {
    for (DWORD key = 0; key < perThread; key++) PushRedraw(REDRAW_KEY, channel, key, 0);
  };
  std::thread other(produce, 1);
  produce(0);
  other.join();
  const auto redraws = TakeRedraws();
  ASSERT_EQ(redraws.size(), 2u * perThread);
  DWORD next[2] = {0, 0};
  for (const Redraw& r : redraws) {
    ASSERT_LT(r.channel, 2u);
    EXPECT_EQ(r.key, next[r.channel]++);  // each producer's commands in its own order
  }
}

}  // namespace
