// Implements: starting the synth device's sound output: the driver named by
// PLINKARO_AUDIO_DRIVER, or the first that starts of pulseaudio (only when a server's
// socket is there) and alsa. pulseaudio is this layer's own stream (pulse_output.h), which
// stops while all is silent; every other name is a FluidSynth audio driver, and SDL2's
// audio subsystem is brought up for its sdl2 driver.
// Does not implement: choosing an output device within a driver (FluidSynth's own
// audio.<driver>.device settings stay at their defaults); stopping a FluidSynth driver
// while all is silent (they cannot pause).
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <string>

#include "winmm/audio_output.h"

namespace plk::winmm {

// `requested` is a driver name, or empty for the automatic order. Null with one line in
// whyNot when no driver starts.
std::unique_ptr<AudioOutput> StartAudioDriver(fluid_settings_t* settings, fluid_synth_t* synth,
                                              const std::string& requested, std::string& whyNot);

}  // namespace plk::winmm
