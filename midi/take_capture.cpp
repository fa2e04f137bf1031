#include "midi/take_capture.h"

#include <mmsystem.h>

#include <cstring>
#include <new>

LONG takeLimitSlots = TAKE_LIMIT_SLOTS;

namespace {

Take takeTable[2];
Take* activeTake = nullptr;  // the take appended to; null while none runs

// Appenders read the pointer with an atomic operation that counts as a write, so the UI
// thread, the only one that changes it, reads it the same way.
Take* ReadActiveTake() {
  return static_cast<Take*>(InterlockedCompareExchangePointer(
      reinterpret_cast<PVOID volatile*>(&activeTake), nullptr, nullptr));
}

Take* PublishTake(Take* take) {
  return static_cast<Take*>(
      InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&activeTake), take));
}

LONG ReadLong(LONG* value) { return InterlockedCompareExchange(value, 0, 0); }

CapturedSlot* ReadBlock(Take* take, DWORD block) {
  return static_cast<CapturedSlot*>(InterlockedCompareExchangePointer(
      reinterpret_cast<PVOID volatile*>(&take->blocks[block]), nullptr, nullptr));
}

// Whoever needs a block first allocates it; a thread that loses the race frees its own.
CapturedSlot* EnsureBlock(Take* take, DWORD block) {
  CapturedSlot* slots = ReadBlock(take, block);
  if (slots) return slots;
  CapturedSlot* fresh = new (std::nothrow) CapturedSlot[CAPTURE_BLOCK_SLOTS]();
  if (!fresh) return nullptr;
  PVOID before = InterlockedCompareExchangePointer(
      reinterpret_cast<PVOID volatile*>(&take->blocks[block]), fresh, nullptr);
  if (!before) return fresh;
  delete[] fresh;
  return static_cast<CapturedSlot*>(before);
}

CapturedSlot* SlotFor(Take* take, DWORD index) {
  CapturedSlot* slots = EnsureBlock(take, index / CAPTURE_BLOCK_SLOTS);
  return slots ? slots + index % CAPTURE_BLOCK_SLOTS : nullptr;
}

// Counting itself in before it looks at the take again lets the UI thread wait until
// everyone who saw a take has finished with it.
Take* JoinActiveTake() {
  for (;;) {
    Take* take = ReadActiveTake();
    if (!take) return nullptr;
    InterlockedIncrement(&take->appenders);
    if (ReadActiveTake() == take) return take;
    InterlockedDecrement(&take->appenders);
  }
}

void WaitForAppenders(Take* take) {
  while (ReadLong(&take->appenders) != 0) Sleep(1);
}

// The slot's word is written last. A message that finds no room, or no memory for a
// block, is left out; its slots stay empty.
void Append(Take* take, DWORD word, const BYTE* bytes, DWORD length) {
  const DWORD time = timeGetTime() - take->startTime;
  const DWORD count = 1 + (length + CAPTURED_BYTES_PER_SLOT - 1) / CAPTURED_BYTES_PER_SLOT;
  if (DWORD(ReadLong(&take->reserved)) > TAKE_CAPACITY_SLOTS - count) return;
  const DWORD first = DWORD(InterlockedExchangeAdd(&take->reserved, LONG(count)));
  if (first > TAKE_CAPACITY_SLOTS - count) return;
  for (DWORD i = 1; i < count; i++) {
    CapturedSlot* slot = SlotFor(take, first + i);
    if (!slot) return;
    const DWORD offset = (i - 1) * CAPTURED_BYTES_PER_SLOT;
    const DWORD part =
        length - offset < CAPTURED_BYTES_PER_SLOT ? length - offset : CAPTURED_BYTES_PER_SLOT;
    std::memcpy(slot, bytes + offset, part);
  }
  CapturedSlot* slot = SlotFor(take, first);
  if (!slot) return;
  slot->time = time;
  // Published last: a reader that sees the word sees the time and the bytes after it.
  InterlockedExchange(reinterpret_cast<LONG volatile*>(&slot->word), LONG(word));
}

void Capture(DWORD word, const BYTE* bytes, DWORD length) {
  Take* take = JoinActiveTake();
  if (!take) return;
  Append(take, word, bytes, length);
  InterlockedDecrement(&take->appenders);
}

// The appender count is never reset: an appender that saw this take a moment ago may
// still count itself in and out.
BOOL BeginTakeOn(Take* take) {
  for (DWORD block = 0; block < TAKE_READY_BLOCKS; block++) {
    if (!EnsureBlock(take, block)) {
      ReleaseTake(take);
      return FALSE;
    }
  }
  InterlockedExchange(&take->reserved, 0);
  take->inUse = 1;
  take->startTime = timeGetTime();
  GetLocalTime(&take->startedAt);
  PublishTake(take);
  // Read after the take runs, so that an instrument changed meanwhile is in the take at
  // least once.
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) take->instruments[ch] = ReadInstrument(ch);
  return TRUE;
}

Take* FreeTake() {
  for (Take& take : takeTable) {
    if (!take.inUse) return &take;
  }
  return nullptr;
}

}  // namespace

Take* RunningTake() { return ReadActiveTake(); }

Take* StartTake() {
  Take* take = FreeTake();
  if (ReadActiveTake() || !take || !BeginTakeOn(take)) return nullptr;
  return take;
}

Take* CutTake() {
  Take* fresh = FreeTake();
  Take* old = ReadActiveTake();
  if (!old || !fresh || !BeginTakeOn(fresh)) return nullptr;
  WaitForAppenders(old);
  return old;
}

Take* EndTake() {
  Take* take = PublishTake(nullptr);
  if (take) WaitForAppenders(take);
  return take;
}

void ReleaseTake(Take* take) {
  for (CapturedSlot*& block : take->blocks) {
    delete[] block;
    block = nullptr;
  }
  take->inUse = 0;
}

void PrepareTakeBlocks() {
  Take* take = ReadActiveTake();
  if (!take) return;
  const DWORD next = DWORD(ReadLong(&take->reserved)) / CAPTURE_BLOCK_SLOTS;
  for (DWORD block = next; block < next + TAKE_READY_BLOCKS && block < TAKE_BLOCK_COUNT; block++) {
    EnsureBlock(take, block);
  }
}

BOOL TakeIsFull() {
  Take* take = ReadActiveTake();
  return take && ReadLong(&take->reserved) >= takeLimitSlots;
}

void CaptureShortMessage(DWORD message) {
  Capture(CAPTURED_SHORT | (message & ~CAPTURED_KIND_MASK), nullptr, 0);
}

// A message longer than the low 24 bits can count would not fit in a take anyway.
void CaptureLongMessage(const BYTE* bytes, DWORD length) {
  if (length & CAPTURED_KIND_MASK) return;
  Capture(CAPTURED_LONG | length, bytes, length);
}

void CaptureReset() { Capture(CAPTURED_RESET, nullptr, 0); }

DWORD CapturedSlotCount(const Take* take) {
  const DWORD reserved = DWORD(ReadLong(const_cast<LONG*>(&take->reserved)));
  return reserved < TAKE_CAPACITY_SLOTS ? reserved : TAKE_CAPACITY_SLOTS;
}

const CapturedSlot* CapturedSlotAt(const Take* take, DWORD index) {
  const CapturedSlot* slots = ReadBlock(const_cast<Take*>(take), index / CAPTURE_BLOCK_SLOTS);
  return slots ? slots + index % CAPTURE_BLOCK_SLOTS : nullptr;
}

DWORD CapturedWord(const CapturedSlot* slot) {
  return DWORD(InterlockedCompareExchange(
      reinterpret_cast<LONG volatile*>(const_cast<DWORD*>(&slot->word)), 0, 0));
}
