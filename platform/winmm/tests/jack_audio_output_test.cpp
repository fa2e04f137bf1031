// The synth's sound through a private JACK server that is killed and started again.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "jack_server.h"
#include "winmm/devices/synth_device.h"
#include "winmm/jack_audio_output.h"
#include "winmm/jack_session.h"

namespace plk::winmm {
namespace {

bool SynthTimeGoesOn(const JackAudioOutput& output) {
  const auto before = output.RenderedFrames();
  return JackServer::Eventually([&] { return output.RenderedFrames() > before; });
}

TEST(JackAudioOutput, AServerThatComesBackGetsTheSoundAgainWithOneLineEachWay) {
  auto server = std::make_unique<JackServer>();
  ASSERT_TRUE(server->running_);
  std::string whyNot;
  auto device = SynthDevice::Open({kDefaultSoundfont, AudioSink::kDriver, "jack", ""}, whyNot);
  ASSERT_TRUE(device && device->Settle()) << whyNot;
  const auto* output = dynamic_cast<const JackAudioOutput*>(device->Output());
  ASSERT_NE(output, nullptr);
  device->ShortMessage(0x7F4590);
  EXPECT_TRUE(SynthTimeGoesOn(*output)) << "the server does not pull sound";

  ::testing::internal::CaptureStderr();
  server.reset();
  const bool away = JackServer::Eventually([&] { return output->Away(); });
  const bool timeWentOnWhileAway = away && SynthTimeGoesOn(*output);
  const bool closed = JackServer::Eventually([] { return OpenJackClientsForTesting() == 0; });
  server = std::make_unique<JackServer>();
  const bool back = JackServer::Eventually([&] { return !output->Away(); });
  const bool timeGoesOnAfter = SynthTimeGoesOn(*output);
  const std::string lines = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(away) << "the killed server went unnoticed";
  EXPECT_TRUE(timeWentOnWhileAway) << "the synth stopped with the server";
  EXPECT_TRUE(closed) << "the dead server's client stays open";
  EXPECT_TRUE(back) << "the client did not come back";
  EXPECT_TRUE(timeGoesOnAfter) << "the new client does not pull sound";
  EXPECT_EQ(lines,
            "plinkaro: the JACK server went away; sound returns when it is back\n"
            "plinkaro: the JACK server is back\n");
  device.reset();
}

// The synthesizer is made after the client has opened: it must be made at the server's rate,
// or every note would sound sharp or flat.
TEST(JackAudioOutput, TheSynthRendersAtTheRateOfAServerOfAnotherRate) {
  JackServer server(44100);
  ASSERT_TRUE(server.running_);
  std::string whyNot;
  auto device = SynthDevice::Open({kDefaultSoundfont, AudioSink::kDriver, "jack", ""}, whyNot);
  ASSERT_TRUE(device && device->Settle()) << whyNot;
  double rate = 0;
  fluid_settings_getnum(fluid_synth_get_settings(device->Synth()), "synth.sample-rate", &rate);
  EXPECT_EQ(rate, 44100);
}

}  // namespace
}  // namespace plk::winmm
