// Handles for the objects that stand in for Win32 ones (files, searches, drops, MIDI
// outputs and inputs, multimedia timers, GDI objects, events and threads): opaque numbers
// that each table draws from a range of its own and does not hand out again while numbers
// remain, so a stale handle, or one given to the wrong call, is refused instead of reaching
// another object.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace plk {

// One range per table; the values fit 32 bits, as handles shared with Win32 code do.
// Range 0 is left to user32's windows, which are numbered on their own.
enum class HandleRange : std::uintptr_t {
  kFiles = 1,
  kSearches,
  kUnused3,  // once dropped-file lists, now GlobalAlloc'd blocks; keeps the others' values
  kMidiOutputs,
  kTimers,
  kGdiObjects,
  kMidiInputs,
  kWaitables,  // events and threads
  kMenus,
};

// `Handle` is the Win32 type the table hands out (HANDLE, HMIDIOUT, UINT, ...); `Mutex`
// guards it (priority_inheriting_mutex.h for a table the time-critical timer thread uses).
template <class T, class Handle = std::uintptr_t, class Mutex = std::mutex>
class HandleTable {
 public:
  explicit HandleTable(HandleRange range)
      : first_(static_cast<std::uintptr_t>(range) << kRangeBits) {}

  // Holds the lock that every call below takes, so that a caller can run several steps as
  // one; the *Locked calls expect it held.
  std::unique_lock<Mutex> Lock() { return std::unique_lock<Mutex>(mutex_); }

  Handle Add(T value) {
    std::lock_guard guard(mutex_);
    return AddLocked(std::move(value));
  }

  // Runs use(T&) under the lock; nullopt for a handle the table does not hold.
  template <class Use>
  auto With(Handle handle, Use use) -> std::optional<decltype(use(std::declval<T&>()))> {
    std::lock_guard guard(mutex_);
    T* found = FindLocked(handle);
    if (!found) return std::nullopt;
    return use(*found);
  }

  std::optional<T> Remove(Handle handle) {
    std::lock_guard guard(mutex_);
    return RemoveLocked(handle);
  }

  // Calls visit(handle, T&) for every object, under the lock (so visit must not call the
  // table).
  template <class Visit>
  void ForEach(Visit visit) {
    std::lock_guard guard(mutex_);
    for (auto& [number, value] : objects_) visit(ToHandle(number), value);
  }

  Handle AddLocked(T value) {
    // Numbers wrap within the range after 2^26 handles, skipping those still held.
    do {
      serial_ = serial_ + 1 < kSerials ? serial_ + 1 : 1;
    } while (objects_.contains(Number()));
    objects_.emplace(Number(), std::move(value));
    return ToHandle(Number());
  }

  T* FindLocked(Handle handle) {
    auto found = objects_.find(ToNumber(handle));
    if (found == objects_.end()) return nullptr;
    return &found->second;
  }

  std::optional<T> RemoveLocked(Handle handle) {
    auto found = objects_.find(ToNumber(handle));
    if (found == objects_.end()) return std::nullopt;
    std::optional<T> value(std::move(found->second));
    objects_.erase(found);
    return value;
  }

 private:
  static constexpr int kRangeBits = 28;
  static constexpr std::uintptr_t kStep = 4;  // as Windows numbers its kernel handles
  static constexpr std::uintptr_t kSerials = (std::uintptr_t{1} << kRangeBits) / kStep;

  static std::uintptr_t ToNumber(Handle handle) {
    if constexpr (std::is_pointer_v<Handle>) {
      return reinterpret_cast<std::uintptr_t>(handle);
    } else {
      return static_cast<std::uintptr_t>(handle);
    }
  }
  static Handle ToHandle(std::uintptr_t number) {
    if constexpr (std::is_pointer_v<Handle>) {
      return reinterpret_cast<Handle>(number);
    } else {
      return static_cast<Handle>(number);
    }
  }
  std::uintptr_t Number() const { return first_ + serial_ * kStep; }

  Mutex mutex_;
  std::unordered_map<std::uintptr_t, T> objects_;
  const std::uintptr_t first_;
  std::uintptr_t serial_ = 0;
};

}  // namespace plk
