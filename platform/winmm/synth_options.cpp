// Implements: how the "synth" device is configured: the soundfont from "synth:FILE.sf2",
// the audio sink from PLINKARO_AUDIO_DRIVER and PLINKARO_AUDIO_OUT, and the FluidSynth
// settings that keep the audio path short.
// Does not implement: reading any other FluidSynth setting from the environment.
#include "winmm/synth_options.h"

#include <cstdlib>
#include <filesystem>

namespace plk::winmm {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A PulseAudio (or PipeWire's PulseAudio) server is there when its socket is; trying the
// driver without one would make libpulse spawn or wait for a daemon.
bool PulseServerLikely() {
  if (!Environment("PULSE_SERVER").empty()) return true;
  const std::string runtime = Environment("XDG_RUNTIME_DIR");
  std::error_code ignored;
  return !runtime.empty() && std::filesystem::exists(runtime + "/pulse/native", ignored);
}

}  // namespace

bool SynthOptionsFromEnvironment(std::string_view argument, SynthOptions& options,
                                 std::string& whyNot) {
  if (!argument.empty()) options.soundfont = std::string(argument);
  options.audioDriver = Environment("PLINKARO_AUDIO_DRIVER");
  const std::string out = Environment("PLINKARO_AUDIO_OUT");
  if (out.empty()) return true;
  constexpr std::string_view kFilePrefix = "file:";
  if (!out.starts_with(kFilePrefix) || out.size() == kFilePrefix.size()) {
    whyNot = "PLINKARO_AUDIO_OUT=" + out + " is not understood: use file:PATH.wav or unset it";
    return false;
  }
  options.sink = AudioSink::kWavFile;
  options.wavPath = out.substr(kFilePrefix.size());
  return true;
}

void ApplySynthSettings(fluid_settings_t* settings) {
  fluid_settings_setnum(settings, "synth.sample-rate", kSampleRate);
  // NOTE: GS bank selection makes controller 0 choose the soundfont's variation banks
  // (bank 8 "Detuned EP 1" and so on) and ignores controller 32, which GS songs use for a
  // device map; 14-bit or XG selection would turn those songs' banks into missing ones.
  fluid_settings_setstr(settings, "synth.midi-bank-select", "gs");
  // 0x10 is the device number GS and XG songs address their system-exclusive messages to.
  fluid_settings_setint(settings, "synth.device-id", 0x10);
  // An instrument's samples are loaded when a program change first selects it (the synth
  // device does that on its worker), so memory holds only the instruments in use.
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
}

void ApplyDriverSettings(fluid_settings_t* settings, const std::string& driver) {
  fluid_settings_setstr(settings, "audio.driver", driver.c_str());
  fluid_settings_setint(settings, "audio.period-size", kPeriodFrames);
  fluid_settings_setint(settings, "audio.periods", kPeriods);
  // Lets the sound server shrink its own buffer to the one asked for above.
  fluid_settings_setint(settings, "audio.pulseaudio.adjust-latency", 1);
}

std::string AutoAudioDrivers() { return PulseServerLikely() ? "pulseaudio,alsa" : "alsa"; }

double BufferedMilliseconds(fluid_settings_t* settings) {
  int periodFrames = 0;
  int periods = 0;
  double rate = 0;
  fluid_settings_getint(settings, "audio.period-size", &periodFrames);
  fluid_settings_getint(settings, "audio.periods", &periods);
  fluid_settings_getnum(settings, "synth.sample-rate", &rate);
  return rate > 0 ? 1000.0 * periodFrames * periods / rate : 0.0;
}

}  // namespace plk::winmm
