// The 10 ms timer's drain: order, unknown kinds, pushes made while it runs, the paint
// lock, and the full repaint after a dropped command.
#include "common/redraw_queue.h"
#include "common/spin_flag.h"
#include "display/redraw_drain.h"
#include "midi/channel_state.h"
#include "test_support.h"

namespace {

class RedrawDrainTest : public CoreTest {
 protected:
  // Fills the queue with one key's command; returns the drawing of them all.
  static std::string Fill(DWORD channel, DWORD key) {
    std::string drawing;
    for (int i = 0; i < REDRAW_QUEUE_SIZE; i++) {
      PushRedraw(REDRAW_KEY, channel, key, 0);
      drawing += "key " + std::to_string(channel) + " " + std::to_string(key) + ", ";
    }
    return drawing;
  }
  DrawRecorder drawn;
};

TEST_F(RedrawDrainTest, TheTimerDrawsEveryKindInPushOrderAndSkipsUnknownKinds) {
  const DWORD kinds[] = {REDRAW_KEY, 0, REDRAW_HEADER, 5, 3, REDRAW_ROW};
  for (DWORD i = 0; i < 6; i++) PushRedraw(kinds[i], i, 60, 0);
  EXPECT_EQ(OnRedrawTimer(), 0);
  EXPECT_EQ(drawn.Take(), "key 0 60, header 2, row 5");
  EXPECT_EQ(PendingRedraws(), 0u);
  EXPECT_EQ(PaintLock + DrainLock, 0);
}

TEST_F(RedrawDrainTest, ATickWhileThePaintLockIsHeldDrawsNothingAndLosesNothing) {
  PushRedraw(REDRAW_KEY, 0, 1, 0);
  AcquireSpinFlag(&PaintLock);
  OnRedrawTimer();
  EXPECT_EQ(drawn.Take(), "");
  EXPECT_EQ(PaintLock, 1);  // still the holder's
  ReleaseSpinFlag(&PaintLock);
  OnRedrawTimer();
  EXPECT_EQ(drawn.Take(), "key 0 1");
}

TEST_F(RedrawDrainTest, ASlotIsNotReusedWhileItsCommandIsBeingDrawn) {
  const std::string keys = Fill(0, 0);
  drawn.duringDraw = [&] {
    // The queue is still full: this is dropped, not put in the slot being drawn.
    if (drawn.calls.size() == 1) PushRedraw(REDRAW_ROW, 9, 0, 0);
  };
  OnRedrawTimer();
  EXPECT_EQ(drawn.Take(), keys + AllRows());
}

TEST_F(RedrawDrainTest, ADroppedCommandMakesTheNextDrainRepaintEveryRowAfterItsOwn) {
  const std::string keys = Fill(1, 20);
  SendKeyNote(TRUE, 2, 64);  // its key command is dropped
  OnRedrawTimer();
  EXPECT_EQ(drawn.Take(), keys + AllRows());
  EXPECT_EQ(redrawQueue.commandLost, 0);
  OnRedrawTimer();  // converged: nothing more to do
  EXPECT_EQ(drawn.Take(), "");
}

TEST_F(RedrawDrainTest, ARepaintThatIsItselfDroppedIsRetriedByTheNextRound) {
  Fill(0, 0);
  PushRedraw(REDRAW_KEY, 0, 1, 0);  // lost
  drawn.duringDraw = [&] {
    // While the row repaints wait, the playback thread fills the queue and loses one more.
    if (drawn.calls.size() != 1024) return;
    while (PendingRedraws() < REDRAW_QUEUE_SIZE) PushRedraw(REDRAW_KEY, 3, 3, 0);
    PushRedraw(REDRAW_KEY, 3, 4, 0);
  };
  OnRedrawTimer();
  const std::string calls = drawn.Take();
  EXPECT_EQ(calls.substr(calls.size() - 6), "row 15");  // the second round of rows came last
  EXPECT_EQ(redrawQueue.commandLost, 0);
}

}  // namespace
