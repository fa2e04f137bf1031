// The synth's PulseAudio stream, against a private PulseAudio daemon with a null sink: it
// stays running while anything sounds, is corked after 2 s of silence, and the next
// message uncorks it with that message's note on; a daemon that goes away and comes back
// gets the stream again, and the synth's time goes on meanwhile.
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

// A private server (tests/pulse_server.sh: pulseaudio, or PipeWire's service), stopped by
// its process id when the test ends; Kill() ends it as a crash would, and Start() brings
// it back on the same socket.
class PulseServer {
 public:
  PulseServer() : runtime_("pulse-runtime") { Start(); }
  void Start() {
    const char* arguments[] = {"bash", PLINKARO_PULSE_SERVER_SCRIPT, runtime_.path.c_str(),
                               nullptr};
    if (posix_spawnp(&pid_, "bash", nullptr, nullptr, const_cast<char**>(arguments), environ)) {
      pid_ = 0;
      return;
    }
    const std::string ready = runtime_.path + "/ready";
    for (int i = 0; i < 200 && !std::filesystem::exists(ready); ++i) {
      std::this_thread::sleep_for(50ms);
    }
    if (!std::filesystem::exists(ready)) return Kill();
    setenv("PULSE_SERVER", ("unix:" + runtime_.path + "/pulse/native").c_str(), 1);
  }
  void Kill() {
    if (pid_ == 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  ~PulseServer() {
    unsetenv("PULSE_SERVER");
    Kill();
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

// The synth on a private server, an organ key held: it sounds for as long as it is down.
class PulseOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server.Running()) GTEST_SKIP() << "no PulseAudio server started";
    std::string whyNot;
    device = SynthDevice::Open({kDefaultSoundfont, AudioSink::kDriver, "pulseaudio", ""}, whyNot);
    ASSERT_TRUE(device && device->Settle()) << whyNot;
    output = dynamic_cast<const PulseOutput*>(device->Output());
    ASSERT_NE(output, nullptr);
    device->ShortMessage(0x0013C0);
    device->ShortMessage(0x7F4590);
  }

  PulseServer server;
  std::unique_ptr<SynthDevice> device;
  const PulseOutput* output = nullptr;
};

TEST_F(PulseOutputTest, CorkedAfterTwoSecondsOfSilenceAndUncorkedByTheNextNote) {
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

TEST_F(PulseOutputTest, ADaemonThatComesBackGetsTheStreamAgainWithOneLineEachWay) {
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
