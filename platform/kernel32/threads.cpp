// Implements: CreateThread (running at once, or never: CREATE_SUSPENDED is refused) over
// std::thread, WaitForSingleObject on a thread handle (signalled once the thread has
// returned, with a timeout or INFINITE), and closing a thread handle while the thread runs
// on.
// Does not implement: waits on other objects (events, processes), suspension, exit codes
// (GetExitCodeThread), stack sizes, TerminateThread.
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

// Shared by the handle and the running thread, which may outlive the handle.
struct ThreadEnd {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
};

plk::HandleTable<std::shared_ptr<ThreadEnd>, HANDLE>& Threads() {
  static plk::HandleTable<std::shared_ptr<ThreadEnd>, HANDLE> table(plk::HandleRange::kThreads);
  return table;
}

}  // namespace

namespace plk::kernel32 {

bool CloseThreadHandle(HANDLE handle) { return Threads().Remove(handle).has_value(); }

}  // namespace plk::kernel32

HANDLE CreateThread(LPVOID, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    LPDWORD threadId) {
  if (!start || flags != 0) {
    SetLastErrorCode(kErrorInvalidParameter);
    return nullptr;
  }
  auto end = std::make_shared<ThreadEnd>();
  const HANDLE handle = Threads().Add(end);
  std::thread([start, parameter, end] {
    start(parameter);
    std::lock_guard guard(end->mutex);
    end->done = true;
    end->ended.notify_all();
  }).detach();
  if (threadId) *threadId = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(handle));
  SetLastErrorCode(ERROR_SUCCESS);
  return handle;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  const auto found = Threads().With(object, [](std::shared_ptr<ThreadEnd>& end) { return end; });
  if (!found) {
    SetLastErrorCode(kErrorInvalidHandle);
    return WAIT_FAILED;
  }
  ThreadEnd& end = **found;
  std::unique_lock lock(end.mutex);
  const auto done = [&end] { return end.done; };
  if (milliseconds == INFINITE) {
    end.ended.wait(lock, done);
    return WAIT_OBJECT_0;
  }
  return end.ended.wait_for(lock, std::chrono::milliseconds(milliseconds), done) ? WAIT_OBJECT_0
                                                                                 : WAIT_TIMEOUT;
}
