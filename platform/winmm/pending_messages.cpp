// Implements: the messages that wait, in the order they were sent, while the synth device's
// worker owns the synthesizer (loading the soundfont or an instrument): kept in slots set
// aside when the device opens, so that holding a short message neither allocates nor
// waits.
// Does not implement: locking (the device's lock guards it); more than its capacity (a
// message that finds every slot taken is dropped and counted).
#include "winmm/pending_messages.h"

#include <utility>

namespace plk::winmm {

bool PendingMessages::Push(Kind kind, DWORD word, const BYTE* data, std::size_t size) {
  if (count_ == slots_.size()) {
    ++dropped_;
    return false;
  }
  Message& slot = slots_[(first_ + count_) % slots_.size()];
  slot.kind = kind;
  slot.word = word;
  slot.bytes.assign(data, data + size);
  ++count_;
  return true;
}

bool PendingMessages::Pop(Message& out) {
  if (count_ == 0) return false;
  Message& slot = slots_[first_];
  out.kind = slot.kind;
  out.word = slot.word;
  std::swap(out.bytes, slot.bytes);
  first_ = (first_ + 1) % slots_.size();
  --count_;
  return true;
}

}  // namespace plk::winmm
