// Implements: events (CreateEventA, unnamed, manual or auto reset; SetEvent, ResetEvent),
// CreateThread (running at once: CREATE_SUSPENDED is refused) over std::thread, whose
// handle is an event set once the thread has returned, WaitForSingleObject on either (with
// a timeout or INFINITE; an auto-reset event is reset by the wait it ends), and closing
// their handles (a thread runs on, as on Windows).
// Does not implement: named events, waits on several objects, processes, suspension, exit
// codes (GetExitCodeThread), stack sizes, TerminateThread.
#include "kernel32/threads.h"

#include "handle_table.h"
#include "kernel32/last_error.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using plk::kernel32::SetLastErrorCode;

constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorInvalidParameter = 87;

// Shared by its handle and, for a thread, the running thread, which may outlive the handle.
struct Waitable {
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
  bool manualReset = true;

  void Set() {
    std::lock_guard guard(mutex);
    signalled = true;
    changed.notify_all();
  }
};

plk::HandleTable<std::shared_ptr<Waitable>, HANDLE>& Waitables() {
  static plk::HandleTable<std::shared_ptr<Waitable>, HANDLE> table(plk::HandleRange::kWaitables);
  return table;
}

// Null, with ERROR_INVALID_HANDLE, for a handle that is no event's or thread's.
std::shared_ptr<Waitable> Find(HANDLE handle) {
  auto found = Waitables().With(handle, [](std::shared_ptr<Waitable>& object) { return object; });
  if (!found) SetLastErrorCode(kErrorInvalidHandle);
  return found.value_or(nullptr);
}

BOOL WithEvent(HANDLE handle, bool signalled) {
  const std::shared_ptr<Waitable> event = Find(handle);
  if (!event) return FALSE;
  std::lock_guard guard(event->mutex);
  event->signalled = signalled;
  if (signalled) event->changed.notify_all();
  return TRUE;
}

}  // namespace

namespace plk::kernel32 {

bool CloseWaitableHandle(HANDLE handle) { return Waitables().Remove(handle).has_value(); }

}  // namespace plk::kernel32

HANDLE CreateEventA(LPVOID, BOOL manualReset, BOOL initialState, LPCSTR name) {
  if (name) {
    SetLastErrorCode(kErrorInvalidParameter);
    return nullptr;
  }
  auto event = std::make_shared<Waitable>();
  event->manualReset = manualReset;
  event->signalled = initialState;
  SetLastErrorCode(ERROR_SUCCESS);
  return Waitables().Add(std::move(event));
}

BOOL SetEvent(HANDLE event) { return WithEvent(event, true); }
BOOL ResetEvent(HANDLE event) { return WithEvent(event, false); }

HANDLE CreateThread(LPVOID, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    LPDWORD threadId) {
  if (!start || flags != 0) {
    SetLastErrorCode(kErrorInvalidParameter);
    return nullptr;
  }
  auto end = std::make_shared<Waitable>();
  const HANDLE handle = Waitables().Add(end);
  std::thread([start, parameter, end] {
    start(parameter);
    end->Set();
  }).detach();
  if (threadId) *threadId = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(handle));
  SetLastErrorCode(ERROR_SUCCESS);
  return handle;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  const std::shared_ptr<Waitable> waitable = Find(object);
  if (!waitable) return WAIT_FAILED;
  std::unique_lock lock(waitable->mutex);
  const auto signalled = [&waitable] { return waitable->signalled; };
  if (milliseconds == INFINITE) {
    waitable->changed.wait(lock, signalled);
  } else if (!waitable->changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                         signalled)) {
    return WAIT_TIMEOUT;
  }
  if (!waitable->manualReset) waitable->signalled = false;
  return WAIT_OBJECT_0;
}
