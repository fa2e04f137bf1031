// Words that the UI thread and the playback thread both read and write without a lock:
// every access goes through an atomic operation, so each thread sees whole values.
#pragma once

#include <windows.h>

inline LONG volatile* SharedWord(DWORD* word) { return reinterpret_cast<LONG volatile*>(word); }

inline DWORD ReadSharedWord(const DWORD* word) {
  // A compare-exchange that never changes the value is the Win32 way to load atomically.
  return static_cast<DWORD>(InterlockedCompareExchange(SharedWord(const_cast<DWORD*>(word)), 0, 0));
}

inline void IncrementSharedWord(DWORD* word) { InterlockedIncrement(SharedWord(word)); }

// Decrements a count that is above zero; returns false (changing nothing) when it is zero.
inline bool DecrementSharedWordIfPositive(DWORD* word) {
  LONG seen = static_cast<LONG>(ReadSharedWord(word));
  while (seen != 0) {
    const LONG before = InterlockedCompareExchange(SharedWord(word), seen - 1, seen);
    if (before == seen) return true;
    seen = before;
  }
  return false;
}
