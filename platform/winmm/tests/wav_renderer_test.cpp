// The WAV renderer plays into a file what a sound card would play: note 69 comes out as
// 440 Hz, and the file is complete when the device closes.
#include <gtest/gtest.h>

#include <chrono>
#include <span>
#include <thread>

#include "sound_test_support.h"
#include "tone_analysis.h"
#include "winmm/devices/synth_device.h"

namespace plk::winmm {
namespace {

using namespace std::chrono_literals;
using testing::DominantFrequency;
using testing::FirstAudibleSample;
using testing::RootMeanSquare;

TEST(WavRenderer, NoteSixtyNineIsFourHundredFortyHertz) {
  testing::TemporaryPath wav("note69.wav");
  {
    SynthOptions options;
    options.sink = AudioSink::kWavFile;
    options.wavPath = wav.Path();
    std::string whyNot;
    auto device = SynthDevice::Open(options, whyNot);
    ASSERT_TRUE(device) << whyNot;
    device->ShortMessage(0x0050C0);  // square lead: a steady tone with a clear fundamental
    device->ShortMessage(0x7F4590);
    std::this_thread::sleep_for(400ms);
    device->ShortMessage(0x7F4580);
    std::this_thread::sleep_for(300ms);
  }
  const testing::WavContents contents = testing::ReadWav(wav.Path());
  ASSERT_EQ(contents.sampleRate, 48000);
  ASSERT_EQ(contents.channels, 2);
  std::span<const float> samples(contents.left);
  const std::size_t onset = FirstAudibleSample(samples, 0.01f);
  ASSERT_LT(onset + 9600, samples.size()) << "no sound in the file";

  const auto tone = samples.subspan(onset + 2400, 9600);
  const double frequency = DominantFrequency(tone, 48000, 200, 1000, 1);
  EXPECT_NEAR(frequency, 440.0, 440.0 * 0.02);
  // After the release the sound dies away, so the end is far quieter than the tone.
  const auto tail = samples.last(4800);
  EXPECT_LT(RootMeanSquare(tail), RootMeanSquare(tone) / 10);
}

}  // namespace
}  // namespace plk::winmm
