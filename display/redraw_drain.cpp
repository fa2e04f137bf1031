#include "display/redraw_drain.h"

#include "common/program_globals.h"
#include "common/redraw_queue.h"
#include "common/shared_word.h"
#include "common/spin_flag.h"
#include "display/row_drawing.h"
#include "midi/channel_state.h"

namespace {

void DrawHeaderCommand(HDC dc, DWORD channel, DWORD) { DrawRowHeader(dc, channel); }
void DrawKeyCommand(HDC dc, DWORD channel, DWORD key) { DrawKey(dc, channel, key); }
void DrawRowCommand(HDC dc, DWORD channel, DWORD) { DrawRow(dc, channel); }

}  // namespace

RedrawHandler RedrawHandlerTable[REDRAW_KIND_COUNT] = {
    {REDRAW_HEADER, DrawHeaderCommand},
    {REDRAW_KEY, DrawKeyCommand},
    {REDRAW_ROW, DrawRowCommand},
};

namespace {

void RunCommand(HDC dc, const RedrawCommand& command) {
  for (const RedrawHandler& handler : RedrawHandlerTable) {
    if (handler.kind == command.kind) return handler.draw(dc, command.channel, command.key);
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
