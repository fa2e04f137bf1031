// The 10 ms timer's drain: order, unknown kinds, pushes made while it runs, the paint
// lock, and the full repaint after a dropped command.
#include <algorithm>
#include <atomic>
#include <thread>

#include "core_fixture.h"
#include "display/redraw_drain.h"
#include "common/spin_flag.h"
#include "fakes/recording_drawing.h"
#include "midi/channel_state.h"

using Calls = std::vector<std::string>;

namespace {

class RedrawDrainTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    fakes::InstallRecordingDrawing();
    fakes::DrawCalls().clear();
    fakes::duringDraw = nullptr;
    PaintLock = QueueLock = DrainLock = 0;
  }
  void TearDown() override {
    fakes::duringDraw = nullptr;
    CoreTest::TearDown();
  }
  Calls TakeDrawCalls() { return std::exchange(fakes::DrawCalls(), {}); }
};

TEST_F(RedrawDrainTest, TimerDrawsEveryKindInPushOrderAndSkipsUnknownKinds) {
  PushRedraw(REDRAW_KEY, 0, 60, 0);
  PushRedraw(0, 1, 0, 0);
  PushRedraw(REDRAW_HEADER, 2, 0, 0);
  PushRedraw(5, 3, 0, 0);
  PushRedraw(3, 3, 0, 0);
  PushRedraw(REDRAW_ROW, 4, 0, 0);
  EXPECT_EQ(OnRedrawTimer(), 0);
  EXPECT_EQ(TakeDrawCalls(), (Calls{"key 0 60", "header 2", "row 4"}));
  EXPECT_EQ(PendingRedraws(), 0u);
  EXPECT_EQ(PaintLock, 0);
  EXPECT_EQ(DrainLock, 0);
}

TEST_F(RedrawDrainTest, ChannelChangesRepaintBothRowsInOrder) {
  SelectChannel(3);
  SelectChannel(5);
  OnRedrawTimer();
  EXPECT_EQ(TakeDrawCalls(), (Calls{"row 0", "row 3", "row 3", "row 5"}));
}

TEST_F(RedrawDrainTest, ATickWhilePaintLockIsHeldDrawsNothingAndLosesNothing) {
  PushRedraw(REDRAW_KEY, 0, 1, 0);
  AcquireSpinFlag(&PaintLock);
  EXPECT_EQ(OnRedrawTimer(), 0);
  EXPECT_TRUE(TakeDrawCalls().empty());
  EXPECT_EQ(PaintLock, 1);  // still the holder's
  ReleaseSpinFlag(&PaintLock);
  OnRedrawTimer();
  EXPECT_EQ(TakeDrawCalls(), Calls{"key 0 1"});
}

TEST_F(RedrawDrainTest, AnEmptyQueueDrawsNothing) {
  OnRedrawTimer();
  EXPECT_TRUE(TakeDrawCalls().empty());
}

TEST_F(RedrawDrainTest, PushesFromAnotherThreadDuringTheDrainAreDrawnByThatDrain) {
  PushRedraw(REDRAW_KEY, 0, 10, 0);
  PushRedraw(REDRAW_KEY, 0, 11, 0);
  bool pushed = false;
  fakes::duringDraw = [&] {
    if (pushed) return;
    pushed = true;
    std::thread([] { PushRedraw(REDRAW_KEY, 5, 99, 0); }).join();
  };
  OnRedrawTimer();
  EXPECT_EQ(TakeDrawCalls(), (Calls{"key 0 10", "key 0 11", "key 5 99"}));
}

TEST_F(RedrawDrainTest, ASlotIsNotReusedWhileItsCommandIsBeingDrawn) {
  for (int i = 0; i < REDRAW_QUEUE_SIZE; i++) PushRedraw(REDRAW_KEY, 0, 0, 0);
  bool refilled = false;
  fakes::duringDraw = [&] {
    if (refilled) return;
    refilled = true;
    PushRedraw(REDRAW_ROW, 9, 0, 0);  // the queue is still full: the slot being drawn stays
  };
  OnRedrawTimer();
  const Calls calls = TakeDrawCalls();
  ASSERT_GE(calls.size(), 1024u);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "key 0 0"), 1024);
}

TEST_F(RedrawDrainTest, ADroppedCommandMakesTheNextDrainRepaintEveryRowAfterItsOwn) {
  for (int i = 0; i < REDRAW_QUEUE_SIZE; i++) PushRedraw(REDRAW_KEY, 1, 20, 0);
  SendKeyNote(TRUE, 2, 64);  // its key command is dropped
  EXPECT_EQ(redrawQueue.commandLost, 1);
  OnRedrawTimer();
  Calls calls = TakeDrawCalls();
  ASSERT_EQ(calls.size(), 1024u + 16u);
  EXPECT_EQ(calls[1023], "key 1 20");
  for (int row = 0; row < 16; row++) EXPECT_EQ(calls[1024 + row], "row " + std::to_string(row));
  EXPECT_EQ(redrawQueue.commandLost, 0);
  OnRedrawTimer();  // converged: nothing more to do
  EXPECT_TRUE(TakeDrawCalls().empty());
}

TEST_F(RedrawDrainTest, ARepaintThatIsItselfDroppedIsRetriedByTheNextDrain) {
  for (int i = 0; i < REDRAW_QUEUE_SIZE; i++) PushRedraw(REDRAW_KEY, 0, 0, 0);
  PushRedraw(REDRAW_KEY, 0, 1, 0);  // lost
  bool flooded = false;
  fakes::duringDraw = [&] {
    // While the row repaints are queued, the playback thread fills the queue again.
    if (flooded || fakes::DrawCalls().size() != 1024) return;
    flooded = true;
    while (PendingRedraws() < REDRAW_QUEUE_SIZE) PushRedraw(REDRAW_KEY, 3, 3, 0);
    PushRedraw(REDRAW_KEY, 3, 4, 0);  // lost again
  };
  OnRedrawTimer();
  EXPECT_EQ(TakeDrawCalls().back(), "row 15");  // the second round of rows came last
  EXPECT_EQ(redrawQueue.commandLost, 0);
}

}  // namespace
