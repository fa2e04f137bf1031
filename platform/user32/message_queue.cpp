// Implements: the per-thread queue (posted, input addressed as it is taken, WM_QUIT,
// timers), MessageMatches filtering by window (and its descendants) and message range,
// PostMessageA (from any thread), PostQuitMessage, PeekMessageA, GetMessageA, WaitMessage,
// SendMessageA, DispatchMessageA (timer procedures included), CallWindowProcA.
// Does not implement: cross-thread SendMessageA marshalling (the procedure runs on the
// caller's thread), PM_NOYIELD/QS_* filters, hooks, message priorities beyond Windows'
// posted → input → quit → paint → timer order.
#include "user32/message_queue.h"

#include "user32/host/host.h"
#include "user32/keyboard.h"
#include "user32/paint.h"
#include "user32/trace.h"
#include "user32/window.h"
#include "user32/window_pixels.h"

#include <algorithm>

namespace plk::user32 {
namespace {

thread_local int dispatchDepth = 0;

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

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* target = FindWindowObject(window);
  if (!target || !target->procedure) return 0;
  TraceMessage("call", window, message, wParam, lParam);
  ++dispatchDepth;
  const LRESULT result = target->procedure(window, message, wParam, lParam);
  --dispatchDepth;
  return result;
}

// Runs after every dispatched message, the empty redraw tick included: it allocates nothing.
void PresentChangedWindows() {
  static thread_local std::vector<HWND> handles;
  CollectWindowHandles(handles);
  for (HWND handle : handles) {
    Window* window = FindWindowObject(handle);
    if (window && window->pixels) window->pixels->PresentIfChanged();
  }
}

}  // namespace plk::user32

using namespace plk::user32;

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<MessageQueue> queue;
  if (!window) {
    queue = CurrentQueueShared();
  } else if (Window* target = FindWindowObject(window)) {
    queue = target->queue;
  }
  if (!queue) return FALSE;
  queue->Post(MSG{window, message, wParam, lParam, 0, {}});
  return TRUE;
}

void PostQuitMessage(int exitCode) { CurrentQueue().PostQuit(exitCode); }

BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  if (!message) return FALSE;
  PumpHostEvents();
  MessageQueue& queue = CurrentQueue();
  const bool removing = (remove & PM_REMOVE) != 0;
  MSG found{};
  bool have = queue.TakeQueued(found, window, filterMin, filterMax, removing);
  if (have && removing) UpdateInputStateFor(found);
  if (!have) have = TakePaintMessage(found, window, filterMin, filterMax);
  if (!have) have = queue.TakeTimer(found, window, filterMin, filterMax, removing);
  if (!have) return FALSE;
  *message = found;
  return TRUE;
}

BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  if (!message) return -1;
  while (!PeekMessageA(message, window, filterMin, filterMax, PM_REMOVE)) WaitMessage();
  return message->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage(void) {
  PresentChangedWindows();
  MessageQueue& queue = CurrentQueue();
  for (;;) {
    PumpHostEvents();
    MSG ignored{};
    if (queue.HasQueued() || queue.HasDueTimer() || TakePaintMessage(ignored, nullptr, 0, 0)) {
      return TRUE;
    }
    std::optional<std::chrono::milliseconds> timeout;
    if (auto due = queue.NextTimerDue()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - Now());
      timeout = std::max(left, std::chrono::milliseconds(0));
    }
    // A stepped clock only moves when the test moves it: waiting would never end.
    if (ManualClockActive()) return TRUE;
    if (HostVideoActive()) {
      WaitForHostEvent(timeout);
    } else {
      queue.WaitForPost(timeout);
    }
  }
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallProcedure(window, message, wParam, lParam);
  if (dispatchDepth == 0) PresentChangedWindows();
  return result;
}

LRESULT DispatchMessageA(const MSG* message) {
  if (!message) return 0;
  LRESULT result = 0;
  if (message->message == WM_TIMER && message->lParam) {
    auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
    procedure(message->hwnd, WM_TIMER, message->wParam, message->time);
  } else {
    result = CallProcedure(message->hwnd, message->message, message->wParam, message->lParam);
  }
  if (dispatchDepth == 0) PresentChangedWindows();
  return result;
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  return procedure ? procedure(window, message, wParam, lParam) : 0;
}
