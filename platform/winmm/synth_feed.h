// The synthesizer an audio output renders. It is made after the output has started, on the
// synth device's worker: a fresh synthesizer clears megabytes of voices and effect lines,
// which would hold up the device's open. Until it is there, the output renders silence.
#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace plk::winmm {

class SynthFeed {
 public:
  // `settings` outlives the feed; the synthesizer is made from them.
  explicit SynthFeed(fluid_settings_t* settings) : settings_(settings) {}
  ~SynthFeed();
  SynthFeed(const SynthFeed&) = delete;
  SynthFeed& operator=(const SynthFeed&) = delete;

  // Makes the synthesizer; false when FluidSynth cannot. Called once.
  bool Create();
  // Null until Create has succeeded.
  fluid_synth_t* Synth() const { return synth_.load(std::memory_order_acquire); }

  // The rate the synthesizer renders at, or will once made.
  int SampleRate();
  // Follows an output whose rate is not the synthesizer's own (a JACK server's).
  void SetSampleRate(int rate);

  // Render `frames` stereo frames, each sample `step` values after the last: silence while
  // there is no synthesizer yet. As fluid_synth_write_float and fluid_synth_write_s16.
  void WriteFloat(int frames, float* left, float* right, int step);
  void WriteS16(int frames, std::int16_t* left, std::int16_t* right, int step);
  // A FluidSynth audio driver's callback (new_fluid_audio_driver2), `feed` being this; the
  // driver clears the buffers before each call.
  static int Process(void* feed, int frames, int effects, float* effect[], int outputs,
                     float* output[]);

 private:
  fluid_settings_t* settings_;
  std::mutex changing_;  // the synthesizer's creation against a change of its rate
  std::atomic<fluid_synth_t*> synth_{nullptr};
};

}  // namespace plk::winmm
