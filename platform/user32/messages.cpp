// Implements: PostMessageA (from any thread), PostQuitMessage, PeekMessageA, GetMessageA,
// WaitMessage, SendMessageA, DispatchMessageA (timer procedures included), CallWindowProcA
// and TranslateMessage (WM_CHAR, or WM_SYSCHAR after Alt, queued to be the very next
// message, as Windows does); every top-level window whose pixels changed is presented
// after each dispatch and before sleeping.
// Does not implement: cross-thread SendMessageA marshalling (the procedure runs on the
// caller's thread), PM_NOYIELD/QS_* filters, hooks, message priorities beyond Windows'
// posted → input → quit → paint → timer order, dead keys, WM_UNICHAR.
#include "user32/messages.h"

#include "user32/host/host.h"
#include "user32/host_events.h"
#include "user32/keyboard.h"
#include "user32/message_queue.h"
#include "user32/paint.h"
#include "user32/trace.h"
#include "user32/window.h"
#include "user32/window_pixels.h"

#include <algorithm>

namespace plk::user32 {
namespace {

thread_local int dispatchDepth = 0;

}  // namespace

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
  CollectWindowHandles(
      handles, [](const Window& window, const void*) { return window.pixels != nullptr; }, nullptr);
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

BOOL TranslateMessage(const MSG* message) {
  if (!message || !IsKeyMessage(message->message)) return FALSE;
  if (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN) return TRUE;
  const int character =
      CharacterForKey(static_cast<int>(message->wParam), GetKeyState(VK_SHIFT) < 0,
                      GetKeyState(VK_CONTROL) < 0, (GetKeyState(VK_CAPITAL) & 1) != 0);
  if (character == 0) return TRUE;
  Window* window = FindWindowObject(message->hwnd);
  if (!window) return TRUE;
  const UINT charMessage = message->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  window->queue->PostNext(
      MSG{message->hwnd, charMessage, static_cast<WPARAM>(character), message->lParam, 0, {}});
  return TRUE;
}
