// The sound thread's real-time policy for a process that may not take it itself, asked of
// RealtimeKit: a stand-in kit on a private system bus, and a probe program that runs as an
// ordinary user.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "portal/testing/private_bus.h"

namespace {

using plk::testing::PrivateBus;
using plk::testing::SpawnProgram;
using plk::testing::StopProgram;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class RealtimeKitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (getuid() != 0)
      GTEST_SKIP() << "the kit, stand-in or real, changes another user's thread as root";
    bus_ = std::make_unique<PrivateBus>(PLK_WINMM_TESTING "/private_system_bus.conf");
    ASSERT_FALSE(bus_->address().empty()) << "dbus-daemon gave no address";
    log_ = ::testing::TempDir() + "realtime-kit-" + std::to_string(getpid()) + ".log";
    std::remove(log_.c_str());
  }
  void TearDown() override {
    StopProgram(kit_);
    std::remove(log_.c_str());
  }

  void StartKit() {
    kit_ = SpawnProgram(
        {"/usr/bin/python3", PLK_WINMM_TESTING "/stand_in_realtime_kit.py", bus_->address(), log_});
    ASSERT_TRUE(bus_->WaitForName("org.freedesktop.RealtimeKit1")) << "the kit did not start";
  }
  // What the probe prints, run with that system bus.
  static std::string Probe(const std::string& mode, const std::string& systemBus) {
    const std::string command =
        "DBUS_SYSTEM_BUS_ADDRESS='" + systemBus + "' " PLK_REALTIME_KIT_PROBE " " + mode;
    FILE* output = popen(command.c_str(), "r");
    if (!output) return "";
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, output)) text += buffer;
    EXPECT_EQ(pclose(output), 0) << text;
    return text;
  }
  std::string Log() const {
    std::ifstream file(log_);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::unique_ptr<PrivateBus> bus_;
  pid_t kit_ = -1;
  std::string log_;
};

TEST_F(RealtimeKitTest, AnOrdinaryUsersSoundThreadGetsTheKitsHighestPriority) {
  StartKit();
  const std::string probe = Probe("raise", bus_->address());
  // The kit's highest is 20, below the 60 asked for; its limit of 200 ms of real-time run
  // replaces the process's unlimited one.
  EXPECT_THAT(probe, HasSubstr(" policy RR reset-on-fork priority 20 rttime 200000 200000\n"));
  int thread = 0;
  ASSERT_EQ(std::sscanf(probe.c_str(), "thread %d", &thread), 1) << probe;
  // One request, for that thread, made after the limit was set.
  EXPECT_THAT(Log(), HasSubstr("\"thread\": " + std::to_string(thread) +
                               ", \"priority\": 20, \"rttime\": 200000, \"refusal\": null}\n"));
}

TEST_F(RealtimeKitTest, WithoutAKitTheThreadKeepsItsPolicyAndTheAnswerComesAtOnce) {
  // A system bus without the kit, then no system bus at all.
  for (const std::string& systemBus : {bus_->address(), std::string("unix:path=/nonexistent")}) {
    const std::string probe = Probe("ask", systemBus);
    EXPECT_THAT(probe, StartsWith("answer -")) << systemBus;
    EXPECT_THAT(probe, HasSubstr(" policy OTHER priority 0 ")) << systemBus;
  }
}

}  // namespace
