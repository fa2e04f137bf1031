// The synth's PulseAudio stream, against a private PulseAudio daemon with a null sink: it
// stays running while anything sounds, is corked after 2 s of silence, and the next
// message uncorks it with that message's note on; a daemon that goes away and comes back
// gets the stream again, and the synth's time goes on meanwhile.
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

// The daemon, stopped by its process id when the test ends; started again on the same
// socket by Start().
class PulseServer {
 public:
  PulseServer() : runtime_("pulse-runtime") { Start(); }
  void Start() {
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
  // As a crash would: the clients learn it from their broken connections.
  void Kill() {
    if (pid_ == 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
    std::filesystem::remove_all(runtime_.path + "/pulse");
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

template <typename Condition>
bool Within(std::chrono::milliseconds limit, Condition condition) {
  for (auto waited = 0ms; waited < limit && !condition(); waited += 50ms) {
    std::this_thread::sleep_for(50ms);
  }
  return condition();
}

bool CorkedWithin(const PulseOutput& output, std::chrono::milliseconds limit) {
  return Within(limit, [&] { return output.Corked(); });
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

// Whether the synth renders more frames within the time of two tries to reconnect.
bool SynthTimeGoesOn(const PulseOutput& output) {
  const auto before = output.RenderedFrames();
  return Within(4500ms, [&] { return output.RenderedFrames() > before; });
}

TEST(PulseOutput, ADaemonThatComesBackGetsTheStreamAgainWithOneLineEachWay) {
  PulseServer server;
  if (!server.Running()) GTEST_SKIP() << "pulseaudio is not installed";
  std::string whyNot;
  auto device =
      SynthDevice::Open({kDefaultSoundfont, AudioSink::kDriver, "pulseaudio", ""}, whyNot);
  ASSERT_TRUE(device && device->Settle()) << whyNot;
  const auto* output = dynamic_cast<const PulseOutput*>(device->Output());
  ASSERT_NE(output, nullptr);
  device->ShortMessage(0x0013C0);
  device->ShortMessage(0x7F4590);
  ::testing::internal::CaptureStderr();
  server.Kill();
  const bool away = Within(3000ms, [&] { return output->Away(); });
  const bool timeWentOnWhileAway = away && SynthTimeGoesOn(*output);
  server.Start();
  const bool back = Within(6000ms, [&] { return !output->Away(); });
  const bool timeGoesOnAfter = SynthTimeGoesOn(*output);
  const std::string lines = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(away) << "the killed daemon went unnoticed";
  EXPECT_TRUE(timeWentOnWhileAway) << "the synth stopped with the daemon";
  EXPECT_TRUE(back) << "the stream did not come back";
  EXPECT_TRUE(timeGoesOnAfter) << "the new stream does not pull sound";
  EXPECT_EQ(lines,
            "plinkaro: the sound server went away; sound returns when it is back\n"
            "plinkaro: the sound server is back\n");
  device->ShortMessage(0x004590);
  EXPECT_TRUE(CorkedWithin(*output, 6000ms)) << "the new stream is not corked in silence";
  device->ShortMessage(0x7F3C90);
  EXPECT_FALSE(output->Corked());
}

}  // namespace
}  // namespace plk::winmm
