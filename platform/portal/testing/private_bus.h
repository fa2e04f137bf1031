// A private D-Bus daemon for tests, and the programs that tests start on it (stand-ins for
// desktop services); each is stopped by its PID.
#pragma once

#include <spawn.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace plk::testing {

// Starts a program found on PATH (or by its path) with this process's environment; -1 when
// it cannot be started.
pid_t SpawnProgram(std::vector<std::string> arguments,
                   posix_spawn_file_actions_t* actions = nullptr);
// Ends a program started by SpawnProgram (TERM, then waits for it), and forgets its PID.
void StopProgram(pid_t& pid);

class PrivateBus {
 public:
  // A dbus-daemon with that configuration file; address() is empty when it did not start.
  explicit PrivateBus(const std::string& configuration);
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  const std::string& address() const { return address_; }
  // Waits up to 10 s until a connection owns `name` on this bus.
  bool WaitForName(const char* name) const;

 private:
  pid_t daemon_ = -1;
  std::string address_;
};

}  // namespace plk::testing
