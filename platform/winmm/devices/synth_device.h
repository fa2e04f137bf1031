// The "synth" MIDI device: an embedded FluidSynth General MIDI synthesizer.
#pragma once

#include <fluidsynth.h>

#include <bitset>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "winmm/audio_output.h"
#include "winmm/midi_device.h"
#include "winmm/pending_messages.h"
#include "winmm/synth_feed.h"
#include "winmm/synth_options.h"
#include "winmm/wav_renderer.h"

namespace plk::winmm {

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
  bool Park() override;
  void PrepareInstruments(std::span<const InstrumentChoice> choices) override;

  // For tests and benchmarks, which read the synthesizer's state and audio clock: they
  // wait until the worker has loaded what was asked and played every held message (false
  // when that takes longer than `timeout`).
  bool Settle(std::chrono::milliseconds timeout = std::chrono::seconds(30));
  fluid_synth_t* Synth() const { return feed_ ? feed_->Synth() : nullptr; }
  AudioOutput* Output() const { return output_.get(); }
  std::optional<WavRenderer::Clock::time_point> WavStartTime() const;
  // How many bank and program choices are ready to be played without waiting.
  std::size_t ReadyChoices();

 private:
  struct SettingsDeleter {
    void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
  };
  // Bank 0 to 127 of melodic instruments, then the drum kits, each with 128 programs.
  using InstrumentSet = std::bitset<129 * 128>;

  SynthDevice();
  bool StartAudio(const SynthOptions& options, std::string& whyNot);

  // Sender side, under lock_: whether a message must wait for the worker, and waiting.
  bool MustHold(DWORD message);
  void Hold(PendingMessages::Kind kind, DWORD word, const BYTE* data = nullptr,
            std::size_t size = 0);
  void WakeOutput();

  // The synthesizer calls, made by whoever owns the synthesizer: a sender under lock_
  // while nothing is held, the worker while something is.
  void Play(DWORD message);
  void PlayLong(const BYTE* data, std::size_t size);
  void PlayReset();
  InstrumentChoice ChoiceOnChannel(int channel, int program);

  // The worker's side.
  void Run();
  bool CreateSynth();
  void LoadSoundfont();
  std::uint16_t PlayHeld(PendingMessages::Message& message);
  void KeepChannelInstruments(std::uint16_t channels, InstrumentSet& ready);
  void LoadChoice(const InstrumentChoice& choice, InstrumentSet& ready);
  bool Keep(fluid_preset_t* preset);
  void ReportDropped();

  // Declared in the order of building; the audio output stops before the synthesizer goes.
  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings_;
  std::unique_ptr<SynthFeed> feed_;  // the worker makes its synthesizer
  std::unique_ptr<AudioOutput> output_;
  WavRenderer* wav_ = nullptr;  // output_, when it is a WAV file
  std::string soundfontPath_;
  int soundfont_ = -1;  // FluidSynth's id, once loaded; the worker's

  std::mutex lock_;
  std::condition_variable work_;
  std::condition_variable settled_;
  // While true the worker owns the synthesizer and senders only add to pending_.
  bool holding_ = true;
  bool stopping_ = false;
  bool broken_ = false;  // the soundfont did not load: every message is dropped
  PendingMessages pending_;
  std::size_t droppedReported_ = 0;
  std::deque<InstrumentChoice> choices_;
  // Program changes that select an instrument already loaded (the senders' test).
  InstrumentSet ready_;
  std::thread worker_;
};

// The table's opener: "synth" or "synth:FILE.sf2", with PLINKARO_AUDIO_DRIVER and
// PLINKARO_AUDIO_OUT.
std::unique_ptr<MidiDevice> OpenSynthDevice(std::string_view argument, std::string& whyNot);

}  // namespace plk::winmm
