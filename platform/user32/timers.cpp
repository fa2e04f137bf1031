// Implements: SetTimer/KillTimer for window timers (WM_TIMER with the id in wParam, or the
// timer procedure in lParam) on the queue of the window's thread, and thread timers (null
// window) with ids chosen by the queue.
// Does not implement: USER_TIMER_MINIMUM clamping below 10 ms, coalescing tolerances,
// SetCoalescableTimer.
#include "user32/message_queue.h"
#include "user32/window.h"

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
