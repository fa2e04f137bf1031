// Run by the RealtimeKit test as an ordinary user: started by root, it gives up root's
// rights and any RLIMIT_RTPRIO first, as a desktop user has neither. A thread then raises
// itself as the synth's sound threads do ("raise"), or asks the kit itself and prints the
// answer ("ask": "answer N"). Prints, once the thread's policy has changed (or after 10 s
// for "raise"): "thread TID policy POLICY priority N rttime SOFT HARD".
#include <grp.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "winmm/audio_output.h"
#include "winmm/realtime_kit.h"

namespace {

constexpr uid_t kNobody = 65534;

bool BecomeOrdinaryUser() {
  const rlimit none{0, 0};
  if (setrlimit(RLIMIT_RTPRIO, &none) != 0) return false;
  if (getuid() != 0) return true;
  if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) return false;
  // A process that changed its user cannot be traced, not even by LeakSanitizer's tracer.
  prctl(PR_SET_DUMPABLE, 1);
  return true;
}

const char* PolicyName(int policy) {
  switch (policy & ~SCHED_RESET_ON_FORK) {
    case SCHED_OTHER: return "OTHER";
    case SCHED_FIFO: return "FIFO";
    case SCHED_RR: return "RR";
    default: return "?";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!BecomeOrdinaryUser()) {
    std::perror("realtime_kit_probe");
    return 2;
  }
  const bool ask = argc > 1 && std::strcmp(argv[1], "ask") == 0;
  std::thread sound([ask] {
    if (ask) {
      std::printf("answer %d\n", plk::winmm::MakeThreadRealtimeThroughKit(gettid(), 60));
    } else {
      plk::winmm::RaiseAudioThreadPriority();
      for (int tries = 0; tries < 1000 && sched_getscheduler(0) == SCHED_OTHER; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    const int policy = sched_getscheduler(0);
    sched_param parameters{};
    sched_getparam(0, &parameters);
    rlimit run{};
    getrlimit(RLIMIT_RTTIME, &run);
    std::printf("thread %d policy %s%s priority %d rttime %lld %lld\n", gettid(),
                PolicyName(policy), (policy & SCHED_RESET_ON_FORK) ? " reset-on-fork" : "",
                parameters.sched_priority, static_cast<long long>(run.rlim_cur),
                static_cast<long long>(run.rlim_max));
  });
  sound.join();
  return 0;
}
