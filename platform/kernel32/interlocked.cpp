// Implements: the Interlocked family on 32-bit LONGs, each a sequentially consistent
// atomic read-modify-write, as on Windows (a full barrier).
#include <windows.h>

#include <atomic>

namespace {

std::atomic_ref<LONG> AtomicAt(LONG volatile* target) {
  // The Win32 signature takes a volatile pointer; the object itself is a plain LONG.
  return std::atomic_ref<LONG>(*const_cast<LONG*>(target));
}

}  // namespace

LONG InterlockedExchange(LONG volatile* target, LONG value) {
  return AtomicAt(target).exchange(value);
}

LONG InterlockedIncrement(LONG volatile* target) { return AtomicAt(target).fetch_add(1) + 1; }

LONG InterlockedDecrement(LONG volatile* target) { return AtomicAt(target).fetch_sub(1) - 1; }

LONG InterlockedExchangeAdd(LONG volatile* target, LONG value) {
  return AtomicAt(target).fetch_add(value);
}

LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand) {
  AtomicAt(target).compare_exchange_strong(comparand, exchange);
  return comparand;
}
