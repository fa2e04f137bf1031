// The program's first frame on the screen. Work that the frame does not need (making a
// synthesizer) waits for it instead of competing with the window's start for the
// processors; in a process that will show no window, nothing waits.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace plk {

class FirstFrameLatch {
 public:
  void Expect();
  void Announce();
  void Await(std::chrono::milliseconds limit);

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool expected_ = false;
  std::atomic<bool> shown_{false};
};

// The process's latch. The process entry expects a frame once the display is up: a window
// is on its way.
void ExpectFirstFrame();
// Each present says so; only the first one counts.
void AnnounceFirstFrame();
// Returns once the first frame is shown, at once when none is expected, and after `limit`
// at the latest, so that a window that never shows delays nothing for long.
void AwaitFirstFrame(std::chrono::milliseconds limit);

}  // namespace plk
