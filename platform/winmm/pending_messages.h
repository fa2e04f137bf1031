// The messages that wait, in order and without allocating, while the synth's worker loads.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace plk::winmm {

class PendingMessages {
 public:
  enum class Kind : unsigned char { kShort, kLong, kReset, kSystemReset };
  struct Message {
    Kind kind = Kind::kShort;
    DWORD word = 0;           // kShort: the short message word
    std::vector<BYTE> bytes;  // kLong: the whole system-exclusive message
  };

  explicit PendingMessages(std::size_t capacity) : slots_(capacity) {}

  // False (and counted as dropped) when every slot is taken.
  bool Push(Kind kind, DWORD word = 0, const BYTE* data = nullptr, std::size_t size = 0);
  // The oldest message into `out` (whose byte buffer is swapped in, so buffers circulate).
  bool Pop(Message& out);
  bool Empty() const { return count_ == 0; }
  void Clear() { count_ = 0; }
  std::size_t Dropped() const { return dropped_; }

 private:
  std::vector<Message> slots_;
  std::size_t first_ = 0;
  std::size_t count_ = 0;
  std::size_t dropped_ = 0;
};

}  // namespace plk::winmm
