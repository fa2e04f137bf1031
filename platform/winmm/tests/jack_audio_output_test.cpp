// The synth's sound through a private JACK server that is killed and started again.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "jack_server.h"
#include "tone_analysis.h"
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
TEST(JackAudioOutput, TheSynthPlaysInTuneOnAServerOfAnotherRate) {
  JackServer server(44100);
  ASSERT_TRUE(server.running_);
  std::string whyNot;
  auto device = SynthDevice::Open({kDefaultSoundfont, AudioSink::kDriver, "jack", ""}, whyNot);
  ASSERT_TRUE(device && device->Settle()) << whyNot;
  device->ShortMessage(0x004FC0);  // ocarina: a steady, nearly pure tone
  device->ShortMessage(0x7F4590);
  ASSERT_TRUE(device->Settle());  // the ocarina loads first
  // Rendered here while the stopped server renders nothing, so that the tone is whole.
  server.Pause();
  std::vector<float> left(44100 / 2), right(left.size());
  fluid_synth_write_float(device->Synth(), static_cast<int>(left.size()), left.data(), 0, 1,
                          right.data(), 0, 1);
  server.Resume();
  const auto tone = std::span<const float>(left).last(left.size() / 2);
  EXPECT_NEAR(testing::ToneFrequency(tone, 44100), 440.0, 440.0 * 0.02);
}

}  // namespace
}  // namespace plk::winmm
