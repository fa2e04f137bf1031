// Implements: SetTimer/KillTimer for window timers (WM_TIMER with the id in wParam, or the
// timer procedure in lParam), generated only when nothing else waits and rescheduled one
// period after each tick is taken, so ticks never pile up; thread timers (null window)
// with ids chosen here; the clock timers run on, which another may replace.
// Does not implement: USER_TIMER_MINIMUM clamping below 10 ms, coalescing tolerances.
#include "user32/message_queue.h"
#include "user32/window.h"

#include <algorithm>
#include <atomic>

namespace plk::user32 {
namespace {

std::atomic<Clock::time_point (*)()>& ManualNow() {
  static std::atomic<Clock::time_point (*)()> now{nullptr};
  return now;
}

}  // namespace

Clock::time_point Now() {
  Clock::time_point (*manual)() = ManualNow();
  return manual ? manual() : Clock::now();
}

bool ManualClockActive() { return ManualNow() != nullptr; }

void SetManualClock(Clock::time_point (*now)()) { ManualNow() = now; }

MessageQueue& CurrentQueue() { return *CurrentQueueShared(); }

std::shared_ptr<MessageQueue> CurrentQueueShared() {
  thread_local std::shared_ptr<MessageQueue> queue = std::make_shared<MessageQueue>();
  return queue;
}

UINT_PTR MessageQueue::SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC procedure) {
  std::lock_guard lock(mutex_);
  if (!window) {
    // Thread timers ignore the id passed in and get a fresh one, as on Windows.
    id = nextThreadTimerId_++;
  }
  const auto interval = std::chrono::milliseconds(std::max<UINT>(period, 1));
  auto existing = std::find_if(timers_.begin(), timers_.end(), [&](const WindowTimer& timer) {
    return timer.window == window && timer.id == id;
  });
  WindowTimer timer{window, id, interval, Now() + interval, procedure};
  if (existing != timers_.end()) {
    *existing = timer;  // setting an existing timer restarts it with the new period
  } else {
    timers_.push_back(timer);
  }
  return window ? (id ? id : 1) : id;
}

bool MessageQueue::KillTimer(HWND window, UINT_PTR id) {
  std::lock_guard lock(mutex_);
  return std::erase_if(timers_, [&](const WindowTimer& timer) {
           return timer.window == window && timer.id == id;
         }) > 0;
}

void MessageQueue::KillTimersOf(HWND window) {
  std::lock_guard lock(mutex_);
  std::erase_if(timers_, [&](const WindowTimer& timer) { return timer.window == window; });
}

std::vector<WindowTimer> MessageQueue::TimersOf(HWND window) {
  std::lock_guard lock(mutex_);
  std::vector<WindowTimer> found;
  std::copy_if(timers_.begin(), timers_.end(), std::back_inserter(found),
               [&](const WindowTimer& timer) { return timer.window == window; });
  return found;
}

std::optional<Clock::time_point> MessageQueue::NextTimerDue() {
  std::lock_guard lock(mutex_);
  if (timers_.empty()) return std::nullopt;
  return std::min_element(timers_.begin(), timers_.end(),
                          [](const auto& a, const auto& b) { return a.due < b.due; })
      ->due;
}

bool MessageQueue::HasDueTimer() {
  const auto now = Now();
  std::lock_guard lock(mutex_);
  return std::any_of(timers_.begin(), timers_.end(),
                     [&](const WindowTimer& timer) { return timer.due <= now; });
}

bool MessageQueue::TakeTimer(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
  const auto now = Now();
  std::lock_guard lock(mutex_);
  WindowTimer* earliest = nullptr;
  for (WindowTimer& timer : timers_) {
    MSG candidate{timer.window, WM_TIMER, timer.id, 0, 0, {}};
    if (timer.due > now || !MessageMatches(candidate, window, filterMin, filterMax)) continue;
    if (!earliest || timer.due < earliest->due) earliest = &timer;
  }
  if (!earliest) return false;
  out = MSG{earliest->window, WM_TIMER, earliest->id, reinterpret_cast<LPARAM>(earliest->procedure),
            GetTickCount(),   {}};
  if (remove) earliest->due = now + earliest->period;
  return true;
}

}  // namespace plk::user32

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
  using namespace plk::user32;
  std::shared_ptr<MessageQueue> queue = CurrentQueueShared();
  if (window) {
    Window* target = FindWindowObject(window);
    if (!target) return 0;
    queue = target->queue;
  }
  return queue->SetTimer(window, id, elapse, timerProc);
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  using namespace plk::user32;
  std::shared_ptr<MessageQueue> queue = CurrentQueueShared();
  if (Window* target = FindWindowObject(window)) queue = target->queue;
  return queue->KillTimer(window, id) ? TRUE : FALSE;
}
