// How the "synth" device is configured: soundfont, audio sink and FluidSynth settings.
#pragma once

#include <fluidsynth.h>

#include <string>
#include <string_view>

namespace plk::winmm {

inline constexpr const char* kDefaultSoundfont = "/usr/share/sounds/sf2/default-GM.sf2";

// NOTE: 3 periods of 128 frames at 48 kHz keep 8 ms of sound queued: under the 10 ms at
// which a played key starts to feel late, with one spare period to ride out a busy core.
inline constexpr double kSampleRate = 48000.0;
inline constexpr int kPeriodFrames = 128;
inline constexpr int kPeriods = 3;
// The WAV renderer writes one short block at a time, like a card with a single period.
inline constexpr int kWavPeriodFrames = 64;

enum class AudioSink {
  kNone,     // no audio at all: the synthesizer only keeps state (tests)
  kDriver,   // a sound server or card (synth_audio_driver.h)
  kWavFile,  // rendered in real time into a WAV file
};

struct SynthOptions {
  std::string soundfont = kDefaultSoundfont;
  AudioSink sink = AudioSink::kDriver;
  std::string audioDriver;  // empty: the first driver that starts, see AutoAudioDrivers
  std::string wavPath;
};

// Builds the options from the device argument and the environment. On a value it does not
// understand it returns false with one line in whyNot.
bool SynthOptionsFromEnvironment(std::string_view argument, SynthOptions& options,
                                 std::string& whyNot);

// Sets the synthesizer settings shared by every sink: sample rate, bank selection, the
// device number that system-exclusive messages address.
void ApplySynthSettings(fluid_settings_t* settings);

// Sets the audio driver and its buffer sizes for low latency.
void ApplyDriverSettings(fluid_settings_t* settings, const std::string& driver);

// The drivers tried in order when PLINKARO_AUDIO_DRIVER is unset.
std::string AutoAudioDrivers();

// The sound queued ahead of the speaker by the driver settings in force, in milliseconds.
double BufferedMilliseconds(fluid_settings_t* settings);

}  // namespace plk::winmm
