// The synth's PulseAudio stream, against a private PulseAudio daemon with a null sink: it
// stays running while anything sounds, is corked after 2 s of silence, and the next
// message uncorks it with that message's note on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "sound_test_support.h"
#include "winmm/pulse_output.h"

extern char** environ;

namespace plk::winmm {
namespace {

using namespace std::chrono_literals;

// The daemon, stopped by its process id when the test ends.
class PulseServer {
 public:
  PulseServer() : runtime_("pulse-runtime") {
    std::filesystem::create_directories(runtime_.path);
    testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", runtime_.path);
    testing::ScopedEnvironment home("HOME", runtime_.path);
    const char* arguments[] = {"pulseaudio",
                               "--daemonize=no",
                               "-n",
                               "--exit-idle-time=-1",
                               "--load=module-null-sink rate=48000",
                               "--load=module-native-protocol-unix auth-anonymous=1",
                               nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int failed =
        posix_spawnp(&pid_, "pulseaudio", &quiet, nullptr, const_cast<char**>(arguments), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (failed) {
      pid_ = 0;
      return;
    }
    const std::string socket = runtime_.path + "/pulse/native";
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
      std::this_thread::sleep_for(50ms);
    }
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  }
  ~PulseServer() {
    unsetenv("PULSE_SERVER");
    if (pid_ == 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool Running() const { return pid_ != 0 && std::getenv("PULSE_SERVER"); }

 private:
  testing::TemporaryPath runtime_;
  pid_t pid_ = 0;
};

bool CorkedWithin(const PulseOutput& output, std::chrono::milliseconds limit) {
  for (auto waited = 0ms; waited < limit && !output.Corked(); waited += 50ms) {
    std::this_thread::sleep_for(50ms);
  }
  return output.Corked();
}

TEST(PulseOutput, CorkedAfterTwoSecondsOfSilenceAndUncorkedByTheNextNote) {
  PulseServer server;
  if (!server.Running()) GTEST_SKIP() << "pulseaudio is not installed";
  std::string whyNot;
  auto device =
      SynthDevice::Open({kDefaultSoundfont, AudioSink::kDriver, "pulseaudio", ""}, whyNot);
  ASSERT_TRUE(device && device->Settle()) << whyNot;
  const auto* output = dynamic_cast<const PulseOutput*>(device->Output());
  ASSERT_NE(output, nullptr);
  device->ShortMessage(0x0013C0);  // organ: it sounds for as long as the key is down
  device->ShortMessage(0x7F4590);
  ASSERT_TRUE(device->Settle());
  EXPECT_FALSE(CorkedWithin(*output, 2500ms)) << "corked while a note sounds";
  device->ShortMessage(0x004590);
  EXPECT_TRUE(CorkedWithin(*output, 6000ms)) << "still running in silence";
  device->ShortMessage(0x7F3C90);
  EXPECT_FALSE(output->Corked());
  ASSERT_TRUE(device->Settle());
  EXPECT_EQ(testing::Voices(device->Synth()), testing::Keys({{0, 60}}));
}

}  // namespace
}  // namespace plk::winmm
