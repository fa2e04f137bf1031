#include "first_frame.h"

namespace plk {
namespace {

FirstFrameLatch& ProcessLatch() {
  static FirstFrameLatch latch;
  return latch;
}

}  // namespace

void FirstFrameLatch::Expect() {
  std::lock_guard<std::mutex> guard(lock_);
  expected_ = true;
}

void FirstFrameLatch::Announce() {
  // Every present passes here: after the first, one load and no lock.
  if (shown_.load(std::memory_order_acquire)) return;
  {
    std::lock_guard<std::mutex> guard(lock_);
    shown_.store(true, std::memory_order_release);
  }
  changed_.notify_all();
}

void FirstFrameLatch::Await(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait_for(guard, limit,
                    [this] { return !expected_ || shown_.load(std::memory_order_relaxed); });
}

void ExpectFirstFrame() { ProcessLatch().Expect(); }

void AnnounceFirstFrame() { ProcessLatch().Announce(); }

void AwaitFirstFrame(std::chrono::milliseconds limit) { ProcessLatch().Await(limit); }

}  // namespace plk
