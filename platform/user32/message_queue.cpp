// Implements: the per-thread queue (posted messages, input addressed as it is taken,
// WM_QUIT, and its timers: generated only when nothing else waits and rescheduled one
// period after each tick is taken, so ticks never pile up), each thread's own queue, input queued
// for the thread of the window it arrived at, MessageMatches filtering by window (and its
// descendants) and message range.
// Does not implement: QS_* status bits, journal and hook queues, input shared between
// threads (AttachThreadInput).
#include "user32/message_queue.h"

#include "user32/host/host.h"
#include "user32/keyboard.h"
#include "user32/window.h"

#include <algorithm>
#include <iterator>

namespace plk::user32 {
namespace {

bool TakeFrom(std::deque<MSG>& messages, MSG& out, HWND window, UINT filterMin, UINT filterMax,
              bool remove) {
  auto found = std::find_if(messages.begin(), messages.end(), [&](const MSG& message) {
    return MessageMatches(message, window, filterMin, filterMax);
  });
  if (found == messages.end()) return false;
  out = *found;
  if (remove) messages.erase(found);
  return true;
}

MSG Stamp(MSG message) {
  message.time = GetTickCount();
  return message;
}

}  // namespace

bool MessageMatches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
  if (window && !IsDescendant(message.hwnd, window)) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return message.message >= filterMin && message.message <= filterMax;
}

void MessageQueue::Post(const MSG& message) {
  {
    std::lock_guard lock(mutex_);
    posted_.push_back(Stamp(message));
  }
  postedSignal_.notify_all();
  WakeHostWait();
}

void MessageQueue::PostInput(const MSG& message, InputRoute route) {
  std::lock_guard lock(mutex_);
  input_.push_back({Stamp(message), route});
}

void MessageQueue::PostNext(const MSG& message) {
  std::lock_guard lock(mutex_);
  posted_.push_front(Stamp(message));
}

void MessageQueue::PostQuit(int exitCode) {
  {
    std::lock_guard lock(mutex_);
    quitPending_ = true;
    exitCode_ = exitCode;
  }
  postedSignal_.notify_all();
}

bool MessageQueue::TakeQueued(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
  std::lock_guard lock(mutex_);
  if (TakeFrom(posted_, out, window, filterMin, filterMax, remove)) return true;
  if (TakeInput(out, window, filterMin, filterMax, remove)) return true;
  if (!quitPending_) return false;
  // WM_QUIT belongs to no window; like Windows, only a range filter can hold it back.
  if (!MessageMatches(MSG{nullptr, WM_QUIT, 0, 0, 0, {}}, nullptr, filterMin, filterMax)) {
    return false;
  }
  out = Stamp(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode_), 0, 0, {}});
  if (remove) quitPending_ = false;
  return true;
}

bool MessageQueue::TakeInput(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
  for (auto entry = input_.begin(); entry != input_.end();) {
    MSG message = entry->message;
    if (!AddressInput(message, entry->route)) {
      UpdateInputStateFor(message);  // the key state follows every key that leaves the queue
      entry = input_.erase(entry);
      continue;
    }
    if (!MessageMatches(message, window, filterMin, filterMax)) {
      ++entry;
      continue;
    }
    out = message;
    if (remove) input_.erase(entry);
    return true;
  }
  return false;
}

bool MessageQueue::HasQueued() {
  std::lock_guard lock(mutex_);
  return !posted_.empty() || !input_.empty() || quitPending_;
}

void MessageQueue::RemoveMessagesFor(HWND window) {
  std::lock_guard lock(mutex_);
  std::erase_if(posted_, [&](const MSG& message) { return message.hwnd == window; });
  std::erase_if(input_, [&](const QueuedInput& entry) { return entry.message.hwnd == window; });
}

void MessageQueue::WaitForPost(std::optional<std::chrono::milliseconds> timeout) {
  std::unique_lock lock(mutex_);
  auto ready = [&] { return !posted_.empty() || quitPending_; };
  if (timeout) {
    postedSignal_.wait_for(lock, *timeout, ready);
  } else {
    postedSignal_.wait(lock, ready);
  }
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

namespace {

std::shared_ptr<MessageQueue>& ThreadQueue() {
  thread_local std::shared_ptr<MessageQueue> queue = std::make_shared<MessageQueue>();
  return queue;
}

}  // namespace

// Asked several times a tick: no copy of the shared pointer, whose count is atomic.
MessageQueue& CurrentQueue() { return *ThreadQueue(); }

std::shared_ptr<MessageQueue> CurrentQueueShared() { return ThreadQueue(); }

void QueueInput(HWND top, InputRoute route, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Window* window = FindWindowObject(top)) {
    window->queue->PostInput(MSG{top, message, wParam, lParam, 0, {}}, route);
  }
}

}  // namespace plk::user32
