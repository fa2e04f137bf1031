// Implements: RaiseAudioThreadPriority: SCHED_FIFO for the calling thread where the process
// may take it (root, CAP_SYS_NICE, an RLIMIT_RTPRIO), else the same asked of RealtimeKit from
// a short-lived thread of its own, so that the sound starts at once and the kit's round trip,
// or its absence, costs the sound thread nothing. PLINKARO_TRACE=winmm says which it got.
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "winmm/audio_output.h"
#include "winmm/realtime_kit.h"
#include "winmm/trace.h"

namespace plk::winmm {
namespace {

// Above the multimedia timers' threads (the lowest real-time priority), below what JACK
// and the kernel's own threads use.
constexpr int kAudioPriority = 60;

struct KitRequest {
  pid_t thread;
  int priority;
};

void* AskKit(void* argument) {
  const KitRequest request = *static_cast<KitRequest*>(argument);
  delete static_cast<KitRequest*>(argument);
  const int granted = MakeThreadRealtimeThroughKit(request.thread, request.priority);
  if (granted > 0) {
    Trace("sound thread %d: real-time priority %d from RealtimeKit", request.thread, granted);
  } else {
    Trace("sound thread %d: normal priority (RealtimeKit: %s)", request.thread,
          std::strerror(-granted));
  }
  return nullptr;
}

}  // namespace

void RaiseAudioThreadPriority() {
  sched_param parameters = {};
  parameters.sched_priority = std::min(kAudioPriority, sched_get_priority_max(SCHED_FIFO));
  if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters) == 0) {
    Trace("sound thread %d: real-time priority %d", gettid(), parameters.sched_priority);
    return;
  }
  auto* request = new KitRequest{gettid(), parameters.sched_priority};
  pthread_attr_t detached;
  pthread_attr_init(&detached);
  pthread_attr_setdetachstate(&detached, PTHREAD_CREATE_DETACHED);
  pthread_t asker;
  if (pthread_create(&asker, &detached, AskKit, request) != 0) delete request;
  pthread_attr_destroy(&detached);
}

}  // namespace plk::winmm
