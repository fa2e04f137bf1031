// Small signal checks for rendered audio: where the sound starts and which frequency
// dominates it. Shared by the tests and the sound benchmark.
#pragma once

#include <cmath>
#include <cstddef>
#include <numbers>
#include <span>
#include <vector>

namespace plk::winmm::testing {

// Power of one frequency over the whole block (the Goertzel recurrence).
inline double GoertzelPower(std::span<const float> samples, double frequency, double rate) {
  const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / rate);
  double previous = 0;
  double beforePrevious = 0;
  for (float sample : samples) {
    const double current = sample + coefficient * previous - beforePrevious;
    beforePrevious = previous;
    previous = current;
  }
  return previous * previous + beforePrevious * beforePrevious -
         coefficient * previous * beforePrevious;
}

// The strongest frequency in [low, high], searched in `step` hertz.
inline double DominantFrequency(std::span<const float> samples, double rate, double low,
                                double high, double step) {
  double best = low;
  double bestPower = -1;
  for (double frequency = low; frequency <= high; frequency += step) {
    const double power = GoertzelPower(samples, frequency, rate);
    if (power > bestPower) {
      bestPower = power;
      best = frequency;
    }
  }
  return best;
}

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

}  // namespace plk::winmm::testing
