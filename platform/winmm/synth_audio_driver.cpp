// Implements: starting the synth device's sound output: the driver named by
// PLINKARO_AUDIO_DRIVER, or the first that starts of pulseaudio (only when a server's
// socket is there) and alsa. pulseaudio is this layer's own stream (pulse_output.h), which
// stops while all is silent, and jack its own client (jack_audio_output.h), both following
// a server that goes away and comes back; every other name is a FluidSynth audio driver,
// and SDL2's audio subsystem is brought up for its sdl2 driver.
// Does not implement: choosing an output device within a driver (FluidSynth's own
// audio.<driver>.device settings stay at their defaults); stopping a FluidSynth driver
// while all is silent (they cannot pause).
#include "winmm/synth_audio_driver.h"

#include <SDL.h>

#include <sstream>
#include <utility>
#include <vector>

#include "winmm/jack_audio_output.h"
#include "winmm/pulse_output.h"
#include "winmm/sound_library_logs.h"
#include "winmm/synth_options.h"

namespace plk::winmm {
namespace {

constexpr const char* kPulseDriver = "pulseaudio";
constexpr const char* kJackDriver = "jack";

// A FluidSynth audio driver; it renders for as long as it runs.
class FluidDriverOutput final : public AudioOutput {
 public:
  FluidDriverOutput(fluid_audio_driver_t* driver, bool sdlAudio)
      : driver_(driver), sdlAudio_(sdlAudio) {}
  ~FluidDriverOutput() override {
    delete_fluid_audio_driver(driver_);
    if (sdlAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  FluidDriverOutput(const FluidDriverOutput&) = delete;
  FluidDriverOutput& operator=(const FluidDriverOutput&) = delete;
  void Wake() override {}

 private:
  fluid_audio_driver_t* driver_;
  bool sdlAudio_;
};

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
  return name == kPulseDriver || name == kJackDriver;
}

std::unique_ptr<AudioOutput> TryFluidDriver(fluid_settings_t* settings, SynthFeed& feed,
                                            const std::string& name, std::string& why) {
  SoundLibraryErrors errors;
  // NOTE: FluidSynth's SDL2 driver expects the application to have started SDL audio.
  const bool sdlAudio = name == "sdl2" && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  ApplyDriverSettings(settings, name);
  if (fluid_audio_driver_t* driver = new_fluid_audio_driver2(settings, SynthFeed::Process, &feed)) {
    return std::make_unique<FluidDriverOutput>(driver, sdlAudio);
  }
  if (sdlAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  why = errors.Describe("it did not start");
  return nullptr;
}

// One attempt; on failure appends "name: why" to `failures`.
std::unique_ptr<AudioOutput> TryDriver(fluid_settings_t* settings, SynthFeed& feed,
                                       const std::string& name, std::string& failures) {
  std::string why;
  std::unique_ptr<AudioOutput> output;
  if (name == kPulseDriver) {
    output = PulseOutput::Start(feed, static_cast<int>(kSampleRate), kPeriodFrames, why);
  } else if (name == kJackDriver) {
    output = JackAudioOutput::Start(settings, feed, why);
  } else {
    output = TryFluidDriver(settings, feed, name, why);
  }
  if (output) return output;
  if (!failures.empty()) failures += "; ";
  failures += name + ": " + why;
  return nullptr;
}

}  // namespace

std::unique_ptr<AudioOutput> StartAudioDriver(fluid_settings_t* settings, SynthFeed& feed,
                                              const std::string& requested, std::string& whyNot) {
  if (!requested.empty() && !IsKnownDriver(settings, requested)) {
    whyNot = "PLINKARO_AUDIO_DRIVER=" + requested +
             " is not an audio driver of this FluidSynth: use one of " + KnownDriverList(settings);
    return nullptr;
  }
  std::string failures;
  for (const std::string& name : SplitNames(requested.empty() ? AutoAudioDrivers() : requested)) {
    if (auto output = TryDriver(settings, feed, name, failures)) return output;
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

}  // namespace plk::winmm
