// Handles for kernel objects that stand in for Win32 ones (files, searches, drops): opaque
// numbers from a range of their own, never reused, looked up under one lock, so a stale or
// foreign handle is refused instead of touching freed memory.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace plk {

template <class T>
class HandleTable {
 public:
  explicit HandleTable(std::uintptr_t first) : next_(first) {}

  std::uintptr_t Add(T value) {
    std::lock_guard lock(mutex_);
    const std::uintptr_t handle = next_;
    next_ += 4;
    objects_.emplace(handle, std::move(value));
    return handle;
  }

  // Runs use(T&) under the table's lock; nullopt for a handle the table does not hold.
  template <class Use>
  auto With(std::uintptr_t handle, Use use) -> std::optional<decltype(use(std::declval<T&>()))> {
    std::lock_guard lock(mutex_);
    auto found = objects_.find(handle);
    if (found == objects_.end()) return std::nullopt;
    return use(found->second);
  }

  std::optional<T> Remove(std::uintptr_t handle) {
    std::lock_guard lock(mutex_);
    auto found = objects_.find(handle);
    if (found == objects_.end()) return std::nullopt;
    T value = std::move(found->second);
    objects_.erase(found);
    return value;
  }

 private:
  std::mutex mutex_;
  std::map<std::uintptr_t, T> objects_;
  std::uintptr_t next_;
};

}  // namespace plk
