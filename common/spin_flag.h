// A one-word lock: 0 free, 1 held. Waiters sleep 10 ms between attempts.
#pragma once

#include <windows.h>

typedef LONG SpinFlag;

extern SpinFlag PaintLock;  // drawing and what drawing depends on (UI thread only)
extern SpinFlag QueueLock;  // the redraw queue's indices (both threads)
extern SpinFlag DrainLock;  // one whole drain of the redraw queue

void AcquireSpinFlag(SpinFlag* flag);
BOOL TryAcquireSpinFlag(SpinFlag* flag);
void ReleaseSpinFlag(SpinFlag* flag);
