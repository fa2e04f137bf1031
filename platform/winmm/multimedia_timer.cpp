// Implements: timeBeginPeriod, timeEndPeriod (the host's sleeps are already fine-grained,
// so the period is only checked), timeGetTime on the monotonic clock, and timeSetEvent /
// timeKillEvent with TIME_ONESHOT or TIME_PERIODIC and TIME_CALLBACK_FUNCTION: each timer
// runs its callbacks on its own thread, on absolute deadlines so that periods do not drift.
// timeKillEvent returns only when no callback of that timer is running, unless it is
// called from that callback. Deadlines fall on the boundaries of timeGetTime's
// milliseconds, as on Windows, where both advance from the same tick.
// Another driver may fire the timers and set the time instead (multimedia_timer.h).
// Callbacks run at a real-time priority where the process may use one, and with the
// finest timer slack otherwise.
// Does not implement: TIME_CALLBACK_EVENT_SET / _PULSE.
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

#include "handle_table.h"
#include "winmm/multimedia_timer.h"

namespace plk::winmm {
namespace {

using Clock = std::chrono::steady_clock;

// Windows runs multimedia timer callbacks on a time-critical thread, so a busy machine does
// not make them late. The closest here is a real-time policy; without the privilege for it
// (no CAP_SYS_NICE, no RLIMIT_RTPRIO) the thread keeps its normal priority.
// NOTE: the thread is created with that policy rather than raising itself: raised by itself,
// it would first wait for its turn at normal priority, and on a busy machine the first
// callback would come milliseconds late. Returns the pthread_create error.
int CreateTimeCriticalThread(pthread_t& thread, void* (*entry)(void*), void* argument) {
  pthread_attr_t realTime;
  pthread_attr_init(&realTime);
  pthread_attr_setinheritsched(&realTime, PTHREAD_EXPLICIT_SCHED);
  pthread_attr_setschedpolicy(&realTime, SCHED_FIFO);
  sched_param parameters = {};
  parameters.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
  pthread_attr_setschedparam(&realTime, &parameters);
  const int failed = pthread_create(&thread, &realTime, entry, argument);
  pthread_attr_destroy(&realTime);
  return failed == 0 ? 0 : pthread_create(&thread, nullptr, entry, argument);
}

// A thread of normal priority may wake up to 50 µs after its deadline by default (the
// kernel's timer slack, which gathers wake-ups to save power); 1 ns asks for none (a
// real-time thread has none anyway).
void LeaveNoTimerSlack() { prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL); }

}  // namespace

// A callback that runs just after timeGetTime has moved on reads the millisecond that has
// just begun; one at an arbitrary phase would read a time up to 1 ms old, and the
// playback clock would hand over its ticks that much later.
Clock::time_point FirstDeadline(Clock::time_point now, std::chrono::milliseconds delay) {
  return Clock::time_point(
      std::chrono::ceil<std::chrono::milliseconds>((now + delay).time_since_epoch()));
}

namespace {

struct TimerEvent {
  UINT id = 0;
  std::chrono::milliseconds delay{0};
  bool periodic = false;
  LPTIMECALLBACK callback = nullptr;
  DWORD_PTR user = 0;

  std::mutex lock;
  std::condition_variable wake;
  bool stopping = false;
  pthread_t thread{};
  bool started = false;
  Clock::time_point firstDeadline;

  void Run() {
    LeaveNoTimerSlack();
    auto deadline = firstDeadline;
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

using TimerTable = HandleTable<std::shared_ptr<TimerEvent>, UINT>;

TimerTable& Timers() {
  static TimerTable table(HandleRange::kTimers);
  return table;
}

// Runs the timer's callbacks on a thread of its own, which holds the timer until it ends.
void StartTimerThread(const std::shared_ptr<TimerEvent>& timer) {
  auto* held = new std::shared_ptr<TimerEvent>(timer);
  const auto entry = [](void* argument) -> void* {
    const std::unique_ptr<std::shared_ptr<TimerEvent>> held(
        static_cast<std::shared_ptr<TimerEvent>*>(argument));
    (*held)->Run();
    return nullptr;
  };
  timer->started = CreateTimeCriticalThread(timer->thread, entry, held) == 0;
  if (!timer->started) delete held;
}

std::atomic<bool> timerThreads{true};
std::atomic<DWORD (*)()> timeSource{nullptr};

}  // namespace

std::vector<LiveTimer> LiveTimers() {
  std::vector<LiveTimer> live;
  Timers().ForEach([&live](UINT id, const std::shared_ptr<TimerEvent>& timer) {
    live.push_back({id, timer->callback, timer->user, timer->periodic});
  });
  std::sort(live.begin(), live.end(), [](auto& a, auto& b) { return a.id < b.id; });
  return live;
}

void RunTimerThreads(bool run) { timerThreads = run; }

void SetTimeSource(DWORD (*now)()) { timeSource = now; }

}  // namespace plk::winmm

MMRESULT timeBeginPeriod(UINT period) { return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

MMRESULT timeEndPeriod(UINT period) { return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

DWORD timeGetTime(void) {
  if (DWORD(*now)() = plk::winmm::timeSource) return now();
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
  // Counted from the call: a thread that starts late still fires on time.
  timer->firstDeadline = plk::winmm::FirstDeadline(plk::winmm::Clock::now(), timer->delay);
  timer->id = plk::winmm::Timers().Add(timer);
  // The thread starts after the id is known, so the first callback sees its own id.
  if (plk::winmm::timerThreads) plk::winmm::StartTimerThread(timer);
  return timer->id;
}

MMRESULT timeKillEvent(UINT id) {
  auto removed = plk::winmm::Timers().Remove(id);
  if (!removed) return MMSYSERR_INVALPARAM;
  const std::shared_ptr<plk::winmm::TimerEvent> timer = std::move(*removed);
  {
    std::lock_guard<std::mutex> guard(timer->lock);
    timer->stopping = true;
  }
  timer->wake.notify_all();
  if (timer->started) {
    if (pthread_equal(timer->thread, pthread_self())) {
      pthread_detach(timer->thread);  // killed from its own callback: it ends when that returns
    } else {
      pthread_join(timer->thread, nullptr);
    }
  }
  return TIMERR_NOERROR;
}
