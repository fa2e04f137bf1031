#include "portal/testing/private_bus.h"

#include <signal.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace plk::testing {

pid_t SpawnProgram(std::vector<std::string> arguments, posix_spawn_file_actions_t* actions) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

void StopProgram(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

PrivateBus::PrivateBus(const std::string& configuration) {
  int address[2];
  if (pipe(address) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, address[1], 3);
  daemon_ = SpawnProgram(
      {"dbus-daemon", "--config-file=" + configuration, "--nofork", "--print-address=3"}, &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(address[1]);
  char c;
  while (read(address[0], &c, 1) == 1 && c != '\n') address_ += c;
  close(address[0]);
}

PrivateBus::~PrivateBus() { StopProgram(daemon_); }

bool PrivateBus::WaitForName(const char* name) const {
  sd_bus* bus = nullptr;
  if (sd_bus_new(&bus) < 0) return false;
  int owned = 0;
  if (sd_bus_set_address(bus, address_.c_str()) >= 0 && sd_bus_set_bus_client(bus, 1) >= 0 &&
      sd_bus_start(bus) >= 0) {
    for (int tries = 0; tries < 1000 && !owned; ++tries) {
      sd_bus_message* reply = nullptr;
      if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                             "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s",
                             name) >= 0) {
        sd_bus_message_read(reply, "b", &owned);
      }
      sd_bus_message_unref(reply);
      if (!owned) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  sd_bus_flush_close_unref(bus);
  return owned != 0;
}

}  // namespace plk::testing
