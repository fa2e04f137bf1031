// Where the synth device's sound goes (a sound server, a sound card, a WAV file), and how
// an output tells that it has played nothing but silence for long enough to stop working.
#pragma once

#include <fluidsynth.h>

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "winmm/synth_feed.h"

namespace plk::winmm {

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // A message has reached the synthesizer: an output that stopped while all was silent
  // plays again, soon enough for the message's note to sound on time.
  virtual void Wake() = 0;
};

// Counts the frames of silence an output renders in a row. Silence is a level below what a
// 16-bit sample can show above its dither, so reverb and chorus tails count as sound.
class SilenceWatch {
 public:
  static constexpr float kSilentPeak = 2.0f / 32768;
  static constexpr int kQuietSeconds = 2;

  explicit SilenceWatch(int sampleRate)
      : quietFrames_(static_cast<std::size_t>(sampleRate) * kQuietSeconds) {}

  // Adds `frames` whose loudest sample is `peak` (full scale 1); true once the silence has
  // lasted long enough to stop.
  bool Quiet(float peak, std::size_t frames) {
    silentFrames_ = peak < kSilentPeak ? silentFrames_ + frames : 0;
    return silentFrames_ >= quietFrames_;
  }
  void Reset() { silentFrames_ = 0; }

 private:
  std::size_t quietFrames_;
  std::size_t silentFrames_ = 0;
};

// While an output's server is away: the synth's voices advance by the time that passed
// since `renderedUntil` (which moves to now), into a buffer nobody hears, so that notes
// neither pile up to sound together later nor hang. Returns the frames rendered.
std::uint64_t RenderTimeAway(SynthFeed& feed, int sampleRate,
                             std::chrono::steady_clock::time_point& renderedUntil);

// As FluidSynth does for its own audio threads: a real-time policy for the calling thread,
// so that a busy machine does not starve the sound. Where the process may not take it, it
// is asked of the desktop's RealtimeKit, without keeping the caller waiting.
void RaiseAudioThreadPriority();

}  // namespace plk::winmm
