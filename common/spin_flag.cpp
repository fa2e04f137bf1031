#include "common/spin_flag.h"

SpinFlag PaintLock = 0;
SpinFlag QueueLock = 0;
SpinFlag DrainLock = 0;

void AcquireSpinFlag(SpinFlag* flag) {
  while (InterlockedExchange(flag, 1) != 0) Sleep(10);
}

BOOL TryAcquireSpinFlag(SpinFlag* flag) { return InterlockedExchange(flag, 1) == 0; }

void ReleaseSpinFlag(SpinFlag* flag) {
  // Stores 0 only when the flag is set; the exchange is the release barrier.
  InterlockedCompareExchange(flag, 0, 1);
}
