// An output renders silence until the synthesizer is made, whatever its buffer held before
// (a sound server's buffer is not cleared), and the synthesizer's sound after.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "winmm/synth_feed.h"
#include "winmm/synth_options.h"

namespace plk::winmm {
namespace {

constexpr int kFrames = 4800;

float Peak(const std::vector<float>& samples) {
  float peak = 0;
  for (float sample : samples) peak = std::max(peak, std::fabs(sample));
  return peak;
}

TEST(SynthFeed, SilenceUntilTheSynthesizerIsMadeThenItsSoundOnEveryPath) {
  std::unique_ptr<fluid_settings_t, void (*)(fluid_settings_t*)> settings(new_fluid_settings(),
                                                                          delete_fluid_settings);
  SynthFeed feed(settings.get());
  std::vector<float> interleaved(kFrames * 2, 0.5f), left(kFrames, 0.5f), right(kFrames, 0.5f);
  std::vector<std::int16_t> words(kFrames * 2, 1000);
  feed.WriteFloat(kFrames, interleaved.data(), interleaved.data() + 1, 2);
  feed.WriteS16(kFrames, words.data(), words.data() + 1, 2);
  float* buffers[] = {left.data(), right.data()};
  EXPECT_EQ(SynthFeed::Process(&feed, kFrames, 0, nullptr, 2, buffers), FLUID_OK);
  EXPECT_EQ(Peak(interleaved), 0.0f);
  EXPECT_EQ(std::count(words.begin(), words.end(), 0), kFrames * 2);
  EXPECT_EQ(Peak(left), 0.5f) << "the driver's buffers are its own to clear";

  ASSERT_TRUE(feed.Create());
  ASSERT_NE(fluid_synth_sfload(feed.Synth(), kDefaultSoundfont, 1), FLUID_FAILED);
  fluid_synth_noteon(feed.Synth(), 0, 69, 127);
  feed.WriteFloat(kFrames, interleaved.data(), interleaved.data() + 1, 2);
  std::fill(left.begin(), left.end(), 0.0f);
  std::fill(right.begin(), right.end(), 0.0f);
  SynthFeed::Process(&feed, kFrames, 0, nullptr, 2, buffers);
  EXPECT_GT(Peak(interleaved), 0.01f);
  EXPECT_GT(Peak(left), 0.01f) << "a driver without effect buffers hears nothing";
}

}  // namespace
}  // namespace plk::winmm
