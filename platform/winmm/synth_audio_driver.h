// Starting the synth device's sound output on the driver chosen or the first that starts.
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <string>

#include "winmm/audio_output.h"
#include "winmm/synth_feed.h"

namespace plk::winmm {

// `requested` is a driver name, or empty for the automatic order. Null with one line in
// whyNot when no driver starts.
std::unique_ptr<AudioOutput> StartAudioDriver(fluid_settings_t* settings, SynthFeed& feed,
                                              const std::string& requested, std::string& whyNot);

}  // namespace plk::winmm
