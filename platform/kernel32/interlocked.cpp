// Implements: the Interlocked family on 32-bit LONGs and on pointers, each a sequentially
// consistent atomic read-modify-write, as on Windows (a full barrier).
#include <windows.h>

#include <atomic>

namespace {

// The Win32 signatures take volatile pointers; the objects themselves are plain.
template <typename T>
std::atomic_ref<T> AtomicAt(T volatile* target) {
  return std::atomic_ref<T>(*const_cast<T*>(target));
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

PVOID InterlockedExchangePointer(PVOID volatile* target, PVOID value) {
  return AtomicAt(target).exchange(value);
}

PVOID InterlockedCompareExchangePointer(PVOID volatile* target, PVOID exchange, PVOID comparand) {
  AtomicAt(target).compare_exchange_strong(comparand, exchange);
  return comparand;
}
