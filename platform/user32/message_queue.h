// The per-thread message queue: posted messages, input, WM_QUIT and window timers,
// handed out in Windows' order (WM_PAINT comes from the windows' update regions, in
// paint.h); the functions that take messages from it are in messages.cpp.
#pragma once

#include <windows.h>

#include "user32/input_routing.h"
#include "user32/timer_clock.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace plk::user32 {

struct WindowTimer {
  HWND window = nullptr;
  UINT_PTR id = 0;
  std::chrono::milliseconds period{0};
  Clock::time_point due;
  TIMERPROC procedure = nullptr;
};

bool MessageMatches(const MSG& message, HWND window, UINT filterMin, UINT filterMax);

class MessageQueue {
 public:
  void Post(const MSG& message);  // any thread
  // Input waits unaddressed; `route` gives it its window when it is taken.
  void PostInput(const MSG& message, InputRoute route = InputRoute::kFixed);
  // Ahead of everything else, like the characters TranslateMessage makes.
  void PostNext(const MSG& message);
  void PostQuit(int exitCode);

  // Posted messages, then input, then WM_QUIT; false when none matches. Input for no
  // window, or for a disabled one, is dropped on the way.
  bool TakeQueued(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove);
  // A due timer as WM_TIMER; taking it starts the next period (ticks never pile up).
  bool TakeTimer(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove);
  bool HasQueued();
  bool HasDueTimer();
  void RemoveMessagesFor(HWND window);
  // Sleeps until something is posted or `timeout` passes (for threads without host video).
  void WaitForPost(std::optional<std::chrono::milliseconds> timeout);

  UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC procedure);
  bool KillTimer(HWND window, UINT_PTR id);
  void KillTimersOf(HWND window);
  std::vector<WindowTimer> TimersOf(HWND window);
  std::optional<Clock::time_point> NextTimerDue();

  // Said whenever a window of this queue gains update region; taken by the look for
  // WM_PAINT, which says it again while any region is left, so that an idle look finds
  // nothing to do without walking the windows.
  void NotePaintMaybeDue() { paintMaybeDue_ = true; }
  bool TakePaintMaybeDue() { return paintMaybeDue_.exchange(false); }

 private:
  struct QueuedInput {
    MSG message;
    InputRoute route;
  };
  bool TakeInput(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove);

  std::mutex mutex_;
  std::condition_variable postedSignal_;
  std::deque<MSG> posted_;
  std::deque<QueuedInput> input_;
  bool quitPending_ = false;
  int exitCode_ = 0;
  std::vector<WindowTimer> timers_;
  UINT_PTR nextThreadTimerId_ = 1;
  std::atomic<bool> paintMaybeDue_{true};
};

MessageQueue& CurrentQueue();
std::shared_ptr<MessageQueue> CurrentQueueShared();

// Queues input that arrived at top-level window `top` on the queue of the window's thread.
// For kPointer, lParam is the point in `top`'s client coordinates.
void QueueInput(HWND top, InputRoute route, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plk::user32
