// Implements: a thread's real-time policy asked of RealtimeKit (org.freedesktop.RealtimeKit1
// on the system bus, through sd-bus): its highest priority and its limit of CPU time a
// real-time thread may use without sleeping are read first, the process's RLIMIT_RTTIME is
// set no higher than that limit (the kit serves no process without one), then
// MakeThreadRealtime is called. The kit itself gives the policy (SCHED_RR, reset on fork).
// Does not implement: MakeThreadHighPriority (a nice level) for a kit that refuses.
#include "winmm/realtime_kit.h"

#include <sys/resource.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

namespace plk::winmm {
namespace {

constexpr char kService[] = "org.freedesktop.RealtimeKit1";
constexpr char kPath[] = "/org/freedesktop/RealtimeKit1";
constexpr char kInterface[] = "org.freedesktop.RealtimeKit1";
// A kit that is installed but not running is started by the bus on the first call.
constexpr std::uint64_t kCallTimeoutUs = 2'000'000;

struct BusCloser {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};

class CallError {
 public:
  CallError() = default;
  CallError(const CallError&) = delete;
  CallError& operator=(const CallError&) = delete;
  ~CallError() { sd_bus_error_free(&error_); }
  sd_bus_error* get() { return &error_; }

 private:
  sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

// A real-time thread that runs longer than the limit without sleeping is stopped by the
// kernel (SIGXCPU), which the kit relies on instead of watching the thread itself.
int LimitRealtimeRun(rlim_t limitUs) {
  rlimit current{};
  if (getrlimit(RLIMIT_RTTIME, &current) != 0) return -errno;
  if (current.rlim_max != RLIM_INFINITY && current.rlim_max <= limitUs &&
      current.rlim_cur <= limitUs) {
    return 0;
  }
  const rlim_t limit =
      current.rlim_max == RLIM_INFINITY ? limitUs : std::min(current.rlim_max, limitUs);
  const rlimit lowered{limit, limit};
  return setrlimit(RLIMIT_RTTIME, &lowered) == 0 ? 0 : -errno;
}

}  // namespace

int MakeThreadRealtimeThroughKit(pid_t thread, int priority) {
  sd_bus* opened = nullptr;
  int result = sd_bus_open_system(&opened);
  if (result < 0) return result;
  const std::unique_ptr<sd_bus, BusCloser> bus(opened);
  sd_bus_set_method_call_timeout(bus.get(), kCallTimeoutUs);

  std::int32_t highest = 0;
  std::int64_t runLimitUs = 0;
  {
    CallError error;
    result = sd_bus_get_property_trivial(bus.get(), kService, kPath, kInterface,
                                         "MaxRealtimePriority", error.get(), 'i', &highest);
    if (result < 0) return result;
  }
  {
    CallError error;
    result = sd_bus_get_property_trivial(bus.get(), kService, kPath, kInterface, "RTTimeUSecMax",
                                         error.get(), 'x', &runLimitUs);
    if (result < 0) return result;
  }
  if (highest < 1 || runLimitUs <= 0) return -EPERM;
  result = LimitRealtimeRun(static_cast<rlim_t>(runLimitUs));
  if (result < 0) return result;

  const int granted = std::min(priority, static_cast<int>(highest));
  CallError error;
  result = sd_bus_call_method(bus.get(), kService, kPath, kInterface, "MakeThreadRealtime",
                              error.get(), nullptr, "tu", static_cast<std::uint64_t>(thread),
                              static_cast<std::uint32_t>(granted));
  return result < 0 ? result : granted;
}

}  // namespace plk::winmm
