// Implements: the "synth" MIDI device: an embedded FluidSynth General MIDI synthesizer
// that takes every channel message, system reset and system-exclusive message, and
// plays through an audio driver or into a WAV file.
// Does not implement: system-exclusive packets that begin with 0xF7 (escaped bytes) and
// timing messages (clock, song position), which a synthesizer has no use for.
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <optional>
#include <string>

#include "winmm/midi_device.h"
#include "winmm/synth_options.h"
#include "winmm/wav_renderer.h"

namespace plk::winmm {

class AudioDriverOutput;

class SynthDevice final : public MidiDevice {
 public:
  // Null with one line in whyNot when the soundfont or the audio sink cannot be used.
  static std::unique_ptr<SynthDevice> Open(const SynthOptions& options, std::string& whyNot);
  ~SynthDevice() override;
  SynthDevice(const SynthDevice&) = delete;
  SynthDevice& operator=(const SynthDevice&) = delete;

  void ShortMessage(DWORD message) override;
  void LongMessage(const BYTE* data, std::size_t size) override;
  void Reset() override;

  // For tests and benchmarks, which read the synthesizer's state and audio clock.
  fluid_synth_t* Synth() const { return synth_.get(); }
  fluid_settings_t* Settings() const { return settings_.get(); }
  std::optional<WavRenderer::Clock::time_point> WavStartTime() const;

 private:
  struct SettingsDeleter {
    void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
  };
  struct SynthDeleter {
    void operator()(fluid_synth_t* synth) const { delete_fluid_synth(synth); }
  };

  SynthDevice() = default;
  bool StartAudio(const SynthOptions& options, std::string& whyNot);
  bool LoadSoundfont(const std::string& path, std::string& whyNot);

  // Declared in the order of building; the audio sinks stop before the synthesizer goes.
  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings_;
  std::unique_ptr<fluid_synth_t, SynthDeleter> synth_;
  std::unique_ptr<AudioDriverOutput> driver_;
  std::unique_ptr<WavRenderer> wav_;
};

// The table's opener: "synth" or "synth:FILE.sf2", with PLINKARO_AUDIO_DRIVER and
// PLINKARO_AUDIO_OUT.
std::unique_ptr<MidiDevice> OpenSynthDevice(std::string_view argument, std::string& whyNot);

}  // namespace plk::winmm
