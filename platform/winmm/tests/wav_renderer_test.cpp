// The WAV renderer plays into a file what a sound card would play: note 69 comes out as
// 440 Hz, and the file is complete when the device closes.
#include <gtest/gtest.h>

#include <chrono>
#include <span>
#include <thread>

#include "sound_test_support.h"
#include "tone_analysis.h"

namespace plk::winmm {
namespace {

using namespace std::chrono_literals;

TEST(WavRenderer, NoteSixtyNineIsFourHundredFortyHertz) {
  testing::TemporaryPath wav("note69.wav");
  if (auto device = testing::OpenSynth(AudioSink::kWavFile, wav.path)) {
    device->ShortMessage(0x004FC0);  // ocarina: a steady, nearly pure tone
    device->ShortMessage(0x7F4590);
    std::this_thread::sleep_for(400ms);
    device->ShortMessage(0x7F4580);
    std::this_thread::sleep_for(300ms);
  }
  int rate = 0;
  const std::vector<float> left = testing::ReadWav(wav.path, rate);
  ASSERT_EQ(rate, 48000);
  std::span<const float> samples(left);
  const std::size_t onset = testing::FirstAudibleSample(samples, 0.01f);
  ASSERT_LT(onset + 12000, samples.size()) << "no sound in the file";
  const auto tone = samples.subspan(onset + 2400, 9600);
  EXPECT_NEAR(testing::ToneFrequency(tone, rate), 440.0, 440.0 * 0.02);
  // After the release the sound dies away, so the end is far quieter than the tone.
  EXPECT_LT(testing::RootMeanSquare(samples.last(4800)), testing::RootMeanSquare(tone) / 10);
}

// After 2 s of silence the renderer sleeps; woken by a note it first writes the silence it
// slept through, so the note still sits where the clock puts it.
TEST(WavRenderer, SleepsThroughSilenceAndKeepsTheFileOnTheClock) {
  testing::TemporaryPath wav("idle.wav");
  double struckSeconds = 0;
  if (auto device = testing::OpenSynth(AudioSink::kWavFile, wav.path)) {
    auto* renderer = dynamic_cast<WavRenderer*>(device->Output());
    ASSERT_NE(renderer, nullptr);
    for (int i = 0; i < 100 && !renderer->Sleeping(); ++i) std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(renderer->Sleeping());
    struckSeconds =
        std::chrono::duration<double>(WavRenderer::Clock::now() - *device->WavStartTime()).count();
    device->ShortMessage(0x7F4590);
    std::this_thread::sleep_for(300ms);
  }
  int rate = 0;
  const std::vector<float> left = testing::ReadWav(wav.path, rate);
  const std::size_t onset = testing::FirstAudibleSample(left, 0.01f);
  EXPECT_NEAR(static_cast<double>(onset) / rate, struckSeconds, 0.05);
}

}  // namespace
}  // namespace plk::winmm
