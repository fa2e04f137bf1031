// The redraw ring: capacity, order across the 2^32 wrap of its counters, discarding, and
// two producers at once.
#include <thread>

#include "common/redraw_queue.h"
#include "test_support.h"

namespace {

class RedrawQueueTest : public CoreTest {};

TEST_F(RedrawQueueTest, AFullQueueDropsTheNewestAndAcceptsAgainAfterConsumingAcrossTheWrap) {
  redrawQueue.writeIndex = redrawQueue.readIndex = 0xFFFFFF00u;
  std::string expected;
  for (DWORD i = 0; i < REDRAW_QUEUE_SIZE; i++) {
    PushRedraw(REDRAW_KEY, 1, i % 128, 0);
    if (i > 0) expected += "key 1 " + std::to_string(i % 128) + ", ";
  }
  EXPECT_EQ(redrawQueue.commandLost, 0);
  PushRedraw(REDRAW_ROW, 7, 0, 0);
  EXPECT_EQ(PendingRedraws(), 1024u);
  EXPECT_EQ(redrawQueue.commandLost, 1);
  redrawQueue.readIndex++;  // one consumed
  PushRedraw(REDRAW_HEADER, 9, 0, 0);
  EXPECT_EQ(TakeRedraws(), expected + "header 9");
}

TEST_F(RedrawQueueTest, DiscardEmptiesTheQueueAndForgetsALostCommand) {
  for (int i = 0; i <= REDRAW_QUEUE_SIZE; i++) PushRedraw(REDRAW_ROW, 0, 0, 0);
  DiscardRedraws();
  EXPECT_EQ(PendingRedraws(), 0u);
  EXPECT_EQ(redrawQueue.commandLost, 0);
}

TEST_F(RedrawQueueTest, TwoProducersNeverShareASlot) {
  const int perThread = 400;
  auto produce = [](DWORD channel) {
    for (DWORD key = 0; key < perThread; key++) PushRedraw(REDRAW_KEY, channel, key, 0);
  };
  std::thread other(produce, 1);
  produce(0);
  other.join();
  ASSERT_EQ(PendingRedraws(), 2u * perThread);
  DWORD next[2] = {0, 0};
  for (DWORD i = 0; i < 2 * perThread; i++) {
    const RedrawCommand& c = redrawQueue.slots[i];
    ASSERT_LT(c.channel, 2u);
    EXPECT_EQ(c.key, next[c.channel]++);  // each producer's commands in its own order
  }
}

}  // namespace
