#include "winmm/synth_audio_driver.h"

#include <SDL.h>

#include <sstream>
#include <utility>
#include <vector>

#include "winmm/sound_library_logs.h"
#include "winmm/synth_options.h"

namespace plk::winmm {
namespace {

std::vector<std::string> SplitNames(const std::string& list) {
  std::vector<std::string> names;
  std::istringstream stream(list);
  for (std::string name; std::getline(stream, name, ',');) names.push_back(name);
  return names;
}

std::vector<std::string> KnownDrivers(fluid_settings_t* settings) {
  char* joined = fluid_settings_option_concat(settings, "audio.driver", ",");
  std::vector<std::string> names = SplitNames(joined ? joined : "");
  fluid_free(joined);
  return names;
}

std::string KnownDriverList(fluid_settings_t* settings) {
  std::string text;
  for (const std::string& name : KnownDrivers(settings)) text += (text.empty() ? "" : ", ") + name;
  return text;
}

bool IsKnownDriver(fluid_settings_t* settings, const std::string& name) {
  for (const std::string& known : KnownDrivers(settings)) {
    if (known == name) return true;
  }
  return false;
}

// One attempt; on failure appends "name: why" to `failures`.
fluid_audio_driver_t* TryDriver(fluid_settings_t* settings, fluid_synth_t* synth,
                                const std::string& name, bool& sdlAudio, std::string& failures) {
  SoundLibraryErrors errors;
  // NOTE: FluidSynth's SDL2 driver expects the application to have started SDL audio.
  sdlAudio = name == "sdl2" && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  ApplyDriverSettings(settings, name);
  fluid_audio_driver_t* driver = new_fluid_audio_driver(settings, synth);
  if (driver) return driver;
  if (sdlAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  sdlAudio = false;
  if (!failures.empty()) failures += "; ";
  failures += name + ": " + errors.Describe("it did not start");
  return nullptr;
}

}  // namespace

std::unique_ptr<AudioDriverOutput> AudioDriverOutput::Start(fluid_settings_t* settings,
                                                            fluid_synth_t* synth,
                                                            const std::string& requested,
                                                            std::string& whyNot) {
  if (!requested.empty() && !IsKnownDriver(settings, requested)) {
    whyNot = "PLINKARO_AUDIO_DRIVER=" + requested +
             " is not an audio driver of this FluidSynth: use one of " + KnownDriverList(settings);
    return nullptr;
  }
  std::string failures;
  for (const std::string& name : SplitNames(requested.empty() ? AutoAudioDrivers() : requested)) {
    bool sdlAudio = false;
    if (fluid_audio_driver_t* driver = TryDriver(settings, synth, name, sdlAudio, failures)) {
      return std::unique_ptr<AudioDriverOutput>(new AudioDriverOutput(driver, name, sdlAudio));
    }
  }
  if (requested.empty()) {
    whyNot = "no sound output (" + failures +
             "): connect a sound card or start a sound server, or set PLINKARO_AUDIO_DRIVER, "
             "PLINKARO_AUDIO_OUT=file:PATH.wav or PLINKARO_MIDI_OUT=port";
  } else {
    whyNot = "cannot start audio through " + failures +
             ": set PLINKARO_AUDIO_DRIVER to another of " + KnownDriverList(settings) +
             " or PLINKARO_AUDIO_OUT=file:PATH.wav";
  }
  return nullptr;
}

AudioDriverOutput::~AudioDriverOutput() {
  delete_fluid_audio_driver(driver_);
  if (sdlAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace plk::winmm
