// Implements: timeBeginPeriod, timeEndPeriod (the host's sleeps are already fine-grained,
// so the period is only checked), timeGetTime on the monotonic clock, and timeSetEvent /
// timeKillEvent with TIME_ONESHOT or TIME_PERIODIC and TIME_CALLBACK_FUNCTION: each timer
// runs its callbacks on its own thread, on absolute deadlines so that periods do not drift.
// timeKillEvent returns only when no callback of that timer is running, unless it is
// called from that callback.
// Tests may fire the timers and set the time themselves (testing/manual_timers.h).
// Callbacks run at a real-time priority where the process may use one.
// Does not implement: TIME_CALLBACK_EVENT_SET / _PULSE.
#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include <pthread.h>
#include <sched.h>
#include <vector>

#include "winmm/testing/manual_timers.h"

namespace plk::winmm {
namespace {

using Clock = std::chrono::steady_clock;

// Windows runs multimedia timer callbacks on a time-critical thread, so a busy machine does
// not make them late. The closest here is a real-time policy; without the privilege for it
// (no CAP_SYS_NICE, no RLIMIT_RTPRIO) the thread keeps its normal priority.
void RaiseToTimeCriticalPriority() {
  sched_param parameters = {};
  parameters.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters);
}

struct TimerEvent {
  UINT id = 0;
  std::chrono::milliseconds delay{0};
  bool periodic = false;
  LPTIMECALLBACK callback = nullptr;
  DWORD_PTR user = 0;

  std::mutex lock;
  std::condition_variable wake;
  bool stopping = false;
  std::thread thread;

  void Run() {
    RaiseToTimeCriticalPriority();
    auto deadline = Clock::now() + delay;
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
      if (wake.wait_until(guard, deadline, [this] { return stopping; })) return;
      guard.unlock();
      callback(id, 0, user, 0, 0);
      guard.lock();
      if (!periodic) return;
      deadline += delay;
    }
  }
};

class TimerTable {
 public:
  UINT Add(std::shared_ptr<TimerEvent> timer) {
    std::lock_guard<std::mutex> guard(lock_);
    timer->id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;
    timers_[timer->id] = timer;
    return timer->id;
  }
  std::shared_ptr<TimerEvent> Remove(UINT id) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = timers_.find(id);
    if (found == timers_.end()) return nullptr;
    auto timer = std::move(found->second);
    timers_.erase(found);
    return timer;
  }
  std::vector<std::shared_ptr<TimerEvent>> All() {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::shared_ptr<TimerEvent>> all;
    for (auto& entry : timers_) all.push_back(entry.second);
    return all;
  }

 private:
  std::mutex lock_;
  UINT nextId_ = 1;
  std::map<UINT, std::shared_ptr<TimerEvent>> timers_;
};

TimerTable& Timers() {
  static TimerTable table;
  return table;
}

std::atomic<bool> manualTimers{false};
std::atomic<bool> manualTime{false};
std::atomic<std::uint32_t> manualMilliseconds{0};

}  // namespace

namespace testing {

void UseManualTimers(bool manual) { manualTimers = manual; }

int FireTimers() {
  int fired = 0;
  for (auto& timer : Timers().All()) {
    timer->callback(timer->id, 0, timer->user, 0, 0);
    fired++;
    if (!timer->periodic) Timers().Remove(timer->id);
  }
  return fired;
}

void UseManualTime(bool manual) { manualTime = manual; }

void SetManualTime(std::uint32_t milliseconds) { manualMilliseconds = milliseconds; }

}  // namespace testing
}  // namespace plk::winmm

MMRESULT timeBeginPeriod(UINT period) { return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

MMRESULT timeEndPeriod(UINT period) { return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

DWORD timeGetTime(void) {
  if (plk::winmm::manualTime) return plk::winmm::manualMilliseconds;
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

MMRESULT timeSetEvent(UINT delay, UINT, LPTIMECALLBACK callback, DWORD_PTR user, UINT event) {
  if (!callback || delay == 0) return 0;
  auto timer = std::make_shared<plk::winmm::TimerEvent>();
  timer->delay = std::chrono::milliseconds(delay);
  timer->periodic = (event & TIME_PERIODIC) != 0;
  timer->callback = callback;
  timer->user = user;
  const UINT id = plk::winmm::Timers().Add(timer);
  // The thread starts after the id is known, so the first callback sees its own id.
  if (!plk::winmm::manualTimers) timer->thread = std::thread([timer] { timer->Run(); });
  return id;
}

MMRESULT timeKillEvent(UINT id) {
  auto timer = plk::winmm::Timers().Remove(id);
  if (!timer) return MMSYSERR_INVALPARAM;
  {
    std::lock_guard<std::mutex> guard(timer->lock);
    timer->stopping = true;
  }
  timer->wake.notify_all();
  if (timer->thread.joinable()) {
    if (timer->thread.get_id() == std::this_thread::get_id()) {
      timer->thread.detach();  // killed from its own callback: it ends when that returns
    } else {
      timer->thread.join();
    }
  }
  return TIMERR_NOERROR;
}
