// Small signal checks for rendered audio: where the sound starts, how loud it is and its
// frequency. Shared by the tests and the sound benchmark.
#pragma once

#include <cmath>
#include <cstddef>
#include <span>

namespace plk::winmm::testing {

// Index of the first sample whose magnitude reaches `threshold`, or samples.size().
inline std::size_t FirstAudibleSample(std::span<const float> samples, float threshold) {
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::fabs(samples[i]) >= threshold) return i;
  }
  return samples.size();
}

inline double RootMeanSquare(std::span<const float> samples) {
  double sum = 0;
  for (float sample : samples) sum += static_cast<double>(sample) * sample;
  return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

// The frequency of a steady tone: how often it swings from below -level to above +level,
// with the level at half its RMS so that ripples around zero do not count.
inline double ToneFrequency(std::span<const float> samples, double rate) {
  const double level = RootMeanSquare(samples) / 2;
  int swings = 0;
  bool low = false;
  for (float sample : samples) {
    if (sample < -level) low = true;
    if (sample > level && low) ++swings, low = false;
  }
  return swings * rate / static_cast<double>(samples.size());
}

}  // namespace plk::winmm::testing
