#include "winmm/devices/synth_device.h"

#include <cstdio>

#include "winmm/sound_library_logs.h"
#include "winmm/synth_audio_driver.h"

namespace plk::winmm {
namespace {

constexpr int kSustainController = 64;

// Data bytes that each kind of channel message carries, by the status's high nibble.
int DataBytes(int status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    default: return 2;
  }
}

bool IsReadableFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

}  // namespace

std::unique_ptr<SynthDevice> SynthDevice::Open(const SynthOptions& options, std::string& whyNot) {
  QuietSoundLibraries();
  if (!IsReadableFile(options.soundfont)) {
    whyNot = "no soundfont at " + options.soundfont +
             ": install fluid-soundfont-gm or set PLINKARO_MIDI_OUT=synth:FILE.sf2";
    return nullptr;
  }
  std::unique_ptr<SynthDevice> device(new SynthDevice());
  device->settings_.reset(new_fluid_settings());
  ApplySynthSettings(device->settings_.get());
  device->synth_.reset(new_fluid_synth(device->settings_.get()));
  if (!device->synth_) {
    whyNot = "FluidSynth could not create a synthesizer";
    return nullptr;
  }
  // Audio first: a missing sound card should fail before a second of soundfont loading.
  if (!device->StartAudio(options, whyNot)) return nullptr;
  if (!device->LoadSoundfont(options.soundfont, whyNot)) return nullptr;
  return device;
}

bool SynthDevice::StartAudio(const SynthOptions& options, std::string& whyNot) {
  switch (options.sink) {
    case AudioSink::kNone: return true;
    case AudioSink::kDriver:
      driver_ =
          AudioDriverOutput::Start(settings_.get(), synth_.get(), options.audioDriver, whyNot);
      return driver_ != nullptr;
    case AudioSink::kWavFile:
      wav_ = WavRenderer::Start(synth_.get(), options.wavPath, static_cast<int>(kSampleRate),
                                kWavPeriodFrames, whyNot);
      return wav_ != nullptr;
  }
  return false;
}

bool SynthDevice::LoadSoundfont(const std::string& path, std::string& whyNot) {
  SoundLibraryErrors errors;
  // Checked first: FluidSynth would hand any other file to a loader that complains on
  // stderr by itself.
  if (!fluid_is_soundfont(path.c_str())) {
    whyNot = path + " is not a SoundFont 2 file: set PLINKARO_MIDI_OUT=synth:FILE.sf2 to one";
    return false;
  }
  if (fluid_synth_sfload(synth_.get(), path.c_str(), 1) != FLUID_FAILED) return true;
  whyNot = "cannot load the soundfont " + path + " (" + errors.Describe("it did not load") +
           "): set PLINKARO_MIDI_OUT=synth:FILE.sf2 to a SoundFont 2 file";
  return false;
}

SynthDevice::~SynthDevice() = default;

void SynthDevice::ShortMessage(DWORD message) {
  const int status = static_cast<int>(message & 0xFF);
  const int data1 = static_cast<int>((message >> 8) & 0xFF);
  const int data2 = static_cast<int>((message >> 16) & 0xFF);
  fluid_synth_t* synth = synth_.get();
  if (status >= 0xF0) {
    if (status == 0xFF) fluid_synth_system_reset(synth);
    return;
  }
  // A data byte with its top bit set is a status byte in a real MIDI stream: such a
  // message never reaches a synthesizer whole, so it is dropped here too.
  if (data1 > 0x7F || (DataBytes(status) == 2 && data2 > 0x7F)) return;
  const int channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
    case 0x90:
      if (data2 == 0) {
        fluid_synth_noteoff(synth, channel, data1);
      } else {
        fluid_synth_noteon(synth, channel, data1, data2);
      }
      break;
    case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
    default: break;
  }
}

void SynthDevice::LongMessage(const BYTE* data, std::size_t size) {
  if (size < 2 || data[0] != 0xF0) return;
  // FluidSynth takes the bytes between the 0xF0 and the closing 0xF7.
  std::size_t length = size - 1;
  if (data[size - 1] == 0xF7) --length;
  fluid_synth_sysex(synth_.get(), reinterpret_cast<const char*>(data + 1), static_cast<int>(length),
                    nullptr, nullptr, nullptr, 0);
}

// NOTE: FluidSynth's all-notes-off is the note-off of every sounding note; a voice that
// the pedal holds stays held until the sustain-off that follows, as on Windows.
void SynthDevice::Reset() {
  fluid_synth_all_notes_off(synth_.get(), -1);
  for (int channel = 0; channel < 16; ++channel) {
    fluid_synth_cc(synth_.get(), channel, kSustainController, 0);
  }
}

std::optional<WavRenderer::Clock::time_point> SynthDevice::WavStartTime() const {
  if (!wav_) return std::nullopt;
  return wav_->StartTime();
}

std::unique_ptr<MidiDevice> OpenSynthDevice(std::string_view argument, std::string& whyNot) {
  SynthOptions options;
  if (!SynthOptionsFromEnvironment(argument, options, whyNot)) return nullptr;
  return SynthDevice::Open(options, whyNot);
}

}  // namespace plk::winmm
