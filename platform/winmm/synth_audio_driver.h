// Implements: starting a FluidSynth audio driver for the synth device: the one named by
// PLINKARO_AUDIO_DRIVER, or the first that starts of pulseaudio (only when a server's
// socket is there) and alsa; SDL2's audio subsystem is brought up for the sdl2 driver.
// Does not implement: choosing an output device within a driver (FluidSynth's own
// audio.<driver>.device settings stay at their defaults).
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <string>

namespace plk::winmm {

class AudioDriverOutput {
 public:
  // `requested` is a driver name, or empty for the automatic order. Null with one line in
  // whyNot when no driver starts.
  static std::unique_ptr<AudioDriverOutput> Start(fluid_settings_t* settings, fluid_synth_t* synth,
                                                  const std::string& requested,
                                                  std::string& whyNot);
  ~AudioDriverOutput();
  AudioDriverOutput(const AudioDriverOutput&) = delete;
  AudioDriverOutput& operator=(const AudioDriverOutput&) = delete;

  const std::string& DriverName() const { return name_; }

 private:
  AudioDriverOutput(fluid_audio_driver_t* driver, std::string name, bool sdlAudio)
      : driver_(driver), name_(std::move(name)), sdlAudio_(sdlAudio) {}

  fluid_audio_driver_t* driver_;
  std::string name_;
  bool sdlAudio_;
};

}  // namespace plk::winmm
