#include "common/redraw_queue.h"

#include "common/spin_flag.h"
#include "common/shared_word.h"

RedrawQueue redrawQueue;

DWORD PendingRedraws() {
  return ReadSharedWord(&redrawQueue.writeIndex) - ReadSharedWord(&redrawQueue.readIndex);
}

void PushRedraw(DWORD kind, DWORD channel, DWORD key, DWORD spare) {
  AcquireSpinFlag(&QueueLock);
  // The painter reads the indices without the lock, so even here they are read atomically.
  const DWORD write = ReadSharedWord(&redrawQueue.writeIndex);
  if (write - ReadSharedWord(&redrawQueue.readIndex) >= REDRAW_QUEUE_SIZE) {
    InterlockedExchange(&redrawQueue.commandLost, 1);
    ReleaseSpinFlag(&QueueLock);
    return;
  }
  RedrawCommand& slot = redrawQueue.slots[write & (REDRAW_QUEUE_SIZE - 1)];
  slot.kind = kind;
  slot.channel = channel;
  slot.key = key;
  slot.spare = spare;
  // The slot is complete before the increment publishes it.
  IncrementSharedWord(&redrawQueue.writeIndex);
  ReleaseSpinFlag(&QueueLock);
}

void DiscardRedraws() {
  AcquireSpinFlag(&QueueLock);
  InterlockedExchange(SharedWord(&redrawQueue.readIndex),
                      static_cast<LONG>(ReadSharedWord(&redrawQueue.writeIndex)));
  // Whoever discards repaints what it needs; nothing lost before still has to be redrawn.
  InterlockedExchange(&redrawQueue.commandLost, 0);
  ReleaseSpinFlag(&QueueLock);
}
