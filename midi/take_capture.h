// Takes: while one runs, every message sent to the MIDI output is kept with its time. Any
// thread appends, without a lock and without allocating for each message; the UI thread
// starts, cuts and ends takes; a take is read while it runs (the slots already filled)
// and whole once no appender is left in it.
#pragma once

#include <windows.h>

#include "midi/channel_state.h"

// A message's time in milliseconds from the take's start, and a word whose top byte says
// what the slot holds (0: nothing). A long message's bytes fill the slots after its own,
// eight to a slot.
struct CapturedSlot {
  DWORD time;
  DWORD word;
};

#define CAPTURED_KIND_MASK 0xFF000000u
#define CAPTURED_SHORT 0x01000000u  // the low 24 bits are the short message
#define CAPTURED_LONG 0x02000000u   // the low 24 bits are the number of bytes that follow
#define CAPTURED_RESET 0x03000000u  // a device reset
#define CAPTURED_BYTES_PER_SLOT 8

#define CAPTURE_BLOCK_SLOTS 8192  // 64 KiB, allocated at a time
// A take that passes this many slots (64 MiB) is cut: it is saved and a new take goes on.
#define TAKE_LIMIT_SLOTS (8 * 1024 * 1024)
// Room after the limit for what arrives before the UI thread cuts the take.
#define TAKE_SPARE_SLOTS (512 * 1024)
#define TAKE_BLOCK_COUNT ((TAKE_LIMIT_SLOTS + TAKE_SPARE_SLOTS) / CAPTURE_BLOCK_SLOTS)
#define TAKE_CAPACITY_SLOTS (TAKE_BLOCK_COUNT * CAPTURE_BLOCK_SLOTS)
// Blocks kept allocated ahead of the appenders, so that they seldom allocate themselves.
#define TAKE_READY_BLOCKS 4

struct Take {
  CapturedSlot* blocks[TAKE_BLOCK_COUNT];
  LONG reserved;                     // slots handed out, also past the capacity
  LONG appenders;                    // threads between joining this take and filling their slots
  LONG inUse;                        // from its start until it is released
  DWORD startTime;                   // timeGetTime at the start
  SYSTEMTIME startedAt;              // the local time at the start
  DWORD instruments[CHANNEL_COUNT];  // each channel's instrument word at the start
};

extern LONG takeLimitSlots;  // TAKE_LIMIT_SLOTS unless a test wants a smaller take

// The take appended to; null while none runs.
Take* RunningTake();

// UI thread. StartTake returns null when a take runs or its first blocks cannot be had.
Take* StartTake();
// A fresh take goes on; returns the one it replaces once no appender is left in it.
Take* CutTake();
// Returns the take that ran, once no appender is left in it; null when none ran.
Take* EndTake();
void ReleaseTake(Take* take);
// Allocates the blocks just ahead of the appenders of the running take.
void PrepareTakeBlocks();
BOOL TakeIsFull();

// Any thread: the MIDI output module calls these for every message it sends.
void CaptureShortMessage(DWORD message);
void CaptureLongMessage(const BYTE* bytes, DWORD length);
void CaptureReset();

// Reading a take: the slots that were handed out, and each slot (null where no block was
// had). While the take runs, a slot whose word reads 0 is still being filled; once its
// word is read, its time and bytes are complete.
DWORD CapturedSlotCount(const Take* take);
const CapturedSlot* CapturedSlotAt(const Take* take, DWORD index);
DWORD CapturedWord(const CapturedSlot* slot);
