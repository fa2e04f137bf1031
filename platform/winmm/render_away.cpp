// Implements: rendering the time a sound server was away into nothing (audio_output.h), in
// blocks of the usual period.
#include <algorithm>
#include <vector>

#include "winmm/audio_output.h"
#include "winmm/synth_options.h"

namespace plk::winmm {

std::uint64_t RenderTimeAway(SynthFeed& feed, int sampleRate,
                             std::chrono::steady_clock::time_point& renderedUntil) {
  const auto now = std::chrono::steady_clock::now();
  long long frames =
      std::chrono::duration_cast<std::chrono::microseconds>(now - renderedUntil).count() *
      sampleRate / 1000000;
  renderedUntil = now;
  std::vector<float> discarded(static_cast<std::size_t>(kPeriodFrames) * 2);
  std::uint64_t rendered = 0;
  for (; frames > 0; frames -= kPeriodFrames) {
    const int block = static_cast<int>(std::min<long long>(frames, kPeriodFrames));
    feed.WriteFloat(block, discarded.data(), discarded.data() + 1, 2);
    rendered += static_cast<std::uint64_t>(block);
  }
  return rendered;
}

}  // namespace plk::winmm
