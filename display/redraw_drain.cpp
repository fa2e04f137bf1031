// The painter's side of the redraw queue: the 10 ms timer drains it on the UI thread.
#include "app/app_state.h"
#include "display/redraw_queue.h"
#include "display/row_drawing.h"
#include "display/spin_flag.h"
#include "midi/channel_state.h"
#include "midi/shared_word.h"

namespace {

void RunCommand(HDC dc, const RedrawCommand& command) {
  switch (command.kind) {
    case REDRAW_HEADER: DrawRowHeader(dc, command.channel); break;
    case REDRAW_KEY: DrawKey(dc, command.channel, command.key); break;
    case REDRAW_ROW: DrawRow(dc, command.channel); break;
    default: break;
  }
}

bool CommandLost() { return InterlockedCompareExchange(&redrawQueue.commandLost, 0, 0) != 0; }

// After a dropped push some key may show a stale picture: queue every row behind the
// commands drawn so far. A push dropped meanwhile sets the flag again for the next drain.
void QueueAllRowsIfCommandLost() {
  if (InterlockedExchange(&redrawQueue.commandLost, 0) == 0) return;
  for (int row = 0; row < CHANNEL_COUNT; row++) PushRedraw(REDRAW_ROW, row, 0, 0);
}

}  // namespace

void DrainRedraws() {
  AcquireSpinFlag(&DrainLock);
  HDC dc = GetDC(mainWindow);
  for (;;) {
    if (PendingRedraws() == 0) {
      QueueAllRowsIfCommandLost();
      if (PendingRedraws() == 0) break;
    }
    const RedrawCommand command =
        redrawQueue.slots[ReadSharedWord(&redrawQueue.readIndex) & (REDRAW_QUEUE_SIZE - 1)];
    RunCommand(dc, command);
    // The slot is freed only after its drawing, so no producer overwrites it meanwhile.
    AcquireSpinFlag(&QueueLock);
    IncrementSharedWord(&redrawQueue.readIndex);
    ReleaseSpinFlag(&QueueLock);
  }
  if (dc) ReleaseDC(mainWindow, dc);
  ReleaseSpinFlag(&DrainLock);
}

LRESULT OnRedrawTimer() {
  if (!TryAcquireSpinFlag(&PaintLock)) return 0;
  if (PendingRedraws() != 0 || CommandLost()) DrainRedraws();
  ReleaseSpinFlag(&PaintLock);
  return 0;
}
