// Implements: the "synth" MIDI device: an embedded FluidSynth General MIDI synthesizer
// that takes every channel message, system reset and system-exclusive message, and plays
// through an audio output or into a WAV file.
// The open checks only what is quick (the soundfont's header, the audio output, which plays
// silence until there is a synthesizer); a worker thread makes the synthesizer once the
// program's first frame is shown, loads the soundfont, and the samples of an instrument
// only when a program change first selects it or a song read by the program will. Loading
// holds the synthesizer: messages sent meanwhile wait in order and are played as soon as
// the load ends (a note before its instrument is late, never lost, and no sender ever
// waits for the disk). Every instrument loaded stays loaded until the device closes for
// good.
// Closed by midiOutClose, the device parks: all sound stops and it is reset as a new one.
// Does not implement: system-exclusive packets that begin with 0xF7 (escaped bytes) and
// timing messages (clock, song position), which a synthesizer has no use for.
#include "winmm/devices/synth_device.h"

#include <cstdio>

#include "first_frame.h"
#include "winmm/fluidsynth_library.h"
#include "winmm/sound_library_logs.h"
#include "winmm/synth_audio_driver.h"

namespace plk::winmm {
namespace {

constexpr int kSustainController = 64;
constexpr int kDrumBank = 128;
constexpr std::uint16_t kEveryChannel = 0xFFFF;
// What may wait while an instrument loads: a dense song sends 30 messages a millisecond,
// and an instrument loads from the disk cache in about 10 ms.
constexpr std::size_t kPendingCapacity = 8192;
// How long a synthesizer waits for a first frame that does not come.
constexpr std::chrono::milliseconds kFirstFrameLimit{500};

// Data bytes that each kind of channel message carries, by the status's high nibble.
int DataBytes(int status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    default: return 2;
  }
}

bool IsProgramChange(DWORD message) { return (message & 0xF0) == 0xC0; }

bool IsReadableFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

bool IsSoundfont(const std::string& path) {
  SoundLibraryErrors quiet;  // FluidSynth's own complaint says less than the open's
  return fluid_is_soundfont(path.c_str());
}

// Where a choice sits in an instrument set; -1 for a bank no GS program change selects.
int IndexOf(const InstrumentChoice& choice) {
  if (choice.program < 0 || choice.program > 127) return -1;
  if (choice.drum) return kDrumBank * 128 + choice.program;
  return choice.bank >= 0 && choice.bank < kDrumBank ? choice.bank * 128 + choice.program : -1;
}

}  // namespace

SynthDevice::SynthDevice() : pending_(kPendingCapacity) {}

std::unique_ptr<SynthDevice> SynthDevice::Open(const SynthOptions& options, std::string& whyNot) {
  QuietSoundLibraries();
  if (!LoadFluidSynth(whyNot)) return nullptr;
  if (!IsReadableFile(options.soundfont)) {
    whyNot = "no soundfont at " + options.soundfont +
             ": install fluid-soundfont-gm or set PLINKARO_MIDI_OUT=synth:FILE.sf2";
    return nullptr;
  }
  // Checked here, while the open can still fail: the worker's load would find out late.
  if (!IsSoundfont(options.soundfont)) {
    whyNot = options.soundfont +
             " is not a SoundFont 2 file: set PLINKARO_MIDI_OUT=synth:FILE.sf2 to one";
    return nullptr;
  }
  std::unique_ptr<SynthDevice> device(new SynthDevice());
  device->soundfontPath_ = options.soundfont;
  device->settings_.reset(new_fluid_settings());
  ApplySynthSettings(device->settings_.get());
  device->feed_ = std::make_unique<SynthFeed>(device->settings_.get());
  if (!device->StartAudio(options, whyNot)) return nullptr;
  device->worker_ = std::thread(&SynthDevice::Run, device.get());
  return device;
}

bool SynthDevice::StartAudio(const SynthOptions& options, std::string& whyNot) {
  switch (options.sink) {
    case AudioSink::kNone: return true;
    case AudioSink::kDriver:
      output_ = StartAudioDriver(settings_.get(), *feed_, options.audioDriver, whyNot);
      return output_ != nullptr;
    case AudioSink::kWavFile: {
      auto wav = WavRenderer::Start(*feed_, options.wavPath, static_cast<int>(kSampleRate),
                                    kWavPeriodFrames, whyNot);
      wav_ = wav.get();
      output_ = std::move(wav);
      return output_ != nullptr;
    }
  }
  return false;
}

SynthDevice::~SynthDevice() {
  if (worker_.joinable()) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    work_.notify_all();
    worker_.join();
  }
}

// ---- Senders (the window and the playback timer, one at a time) ----

void SynthDevice::ShortMessage(DWORD message) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (broken_) return;
    if (MustHold(message)) return Hold(PendingMessages::Kind::kShort, message);
    Play(message);
  }
  WakeOutput();
}

// System-exclusive messages may choose instruments in ways the senders cannot foresee
// (a part turned into a drum part), so the worker plays them.
void SynthDevice::LongMessage(const BYTE* data, std::size_t size) {
  if (size < 2 || data[0] != 0xF0) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (!broken_) Hold(PendingMessages::Kind::kLong, 0, data, size);
}

void SynthDevice::Reset() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (broken_) return;
    if (holding_) return Hold(PendingMessages::Kind::kReset, 0);
    PlayReset();
  }
  WakeOutput();
}

// Messages sent before the close are dropped: a device opened anew would not play them
// either. The reset chooses only the instruments that the soundfont's load kept.
bool SynthDevice::Park() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    pending_.Clear();
    if (broken_) return true;
    if (holding_) {
      Hold(PendingMessages::Kind::kSystemReset, 0);
    } else {
      fluid_synth_system_reset(Synth());
    }
  }
  WakeOutput();
  return true;
}

void SynthDevice::PrepareInstruments(std::span<const InstrumentChoice> choices) {
  std::lock_guard<std::mutex> guard(lock_);
  bool missing = false;
  for (const InstrumentChoice& choice : choices) {
    const int index = IndexOf(choice);
    if (index >= 0 && !ready_[index]) {
      choices_.push_back(choice);
      missing = true;
    }
  }
  // Loading holds the synthesizer like any other load.
  if (missing) {
    holding_ = true;
    work_.notify_all();
  }
}

bool SynthDevice::MustHold(DWORD message) {
  if (holding_) return true;
  if (!IsProgramChange(message)) return false;
  const int index = IndexOf(
      ChoiceOnChannel(static_cast<int>(message & 0x0F), static_cast<int>((message >> 8) & 0xFF)));
  return index < 0 || !ready_[index];
}

void SynthDevice::Hold(PendingMessages::Kind kind, DWORD word, const BYTE* data, std::size_t size) {
  pending_.Push(kind, word, data, size);
  // While the worker holds the synthesizer it looks at pending_ before it lets go.
  if (!holding_) {
    holding_ = true;
    work_.notify_all();
  }
}

void SynthDevice::WakeOutput() {
  if (output_) output_->Wake();
}

// ---- The synthesizer calls ----

void SynthDevice::Play(DWORD message) {
  const int status = static_cast<int>(message & 0xFF);
  const int data1 = static_cast<int>((message >> 8) & 0xFF);
  const int data2 = static_cast<int>((message >> 16) & 0xFF);
  fluid_synth_t* synth = Synth();
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

void SynthDevice::PlayLong(const BYTE* data, std::size_t size) {
  // FluidSynth takes the bytes between the 0xF0 and the closing 0xF7.
  std::size_t length = size - 1;
  if (data[size - 1] == 0xF7) --length;
  fluid_synth_sysex(Synth(), reinterpret_cast<const char*>(data + 1), static_cast<int>(length),
                    nullptr, nullptr, nullptr, 0);
}

// NOTE: FluidSynth's all-notes-off is the note-off of every sounding note; a voice that
// the pedal holds stays held until the sustain-off that follows, as on Windows.
void SynthDevice::PlayReset() {
  fluid_synth_all_notes_off(Synth(), -1);
  for (int channel = 0; channel < 16; ++channel) {
    fluid_synth_cc(Synth(), channel, kSustainController, 0);
  }
}

// The instrument a program change on `channel` selects: a drum channel takes its kit from
// the drum bank whatever bank was chosen; a melodic one from the bank its controller 0 set.
InstrumentChoice SynthDevice::ChoiceOnChannel(int channel, int program) {
  int soundfont = 0;
  int bank = 0;
  int current = 0;
  fluid_synth_get_program(Synth(), channel, &soundfont, &bank, &current);
  fluid_preset_t* preset = fluid_synth_get_channel_preset(Synth(), channel);
  const bool drum = bank == kDrumBank || (preset && fluid_preset_get_banknum(preset) == kDrumBank);
  return {drum, drum ? kDrumBank : bank, program};
}

// ---- The worker ----

void SynthDevice::Run() {
  // Making the synthesizer takes tens of milliseconds of processor time that the window's
  // first frame would otherwise share; messages sent meanwhile are held, as in the load.
  AwaitFirstFrame(kFirstFrameLimit);
  if (CreateSynth()) LoadSoundfont();
  InstrumentSet ready;
  KeepChannelInstruments(kEveryChannel, ready);
  std::unique_lock<std::mutex> guard(lock_);
  ready_ |= ready;
  broken_ = soundfont_ < 0;
  if (broken_) pending_.Clear();
  bool played = false;  // held messages since the output was last woken
  for (;;) {
    // Whatever is held is played before the synthesizer is handed back; held messages go
    // before a song's instruments, which load one at a time in between.
    PendingMessages::Message message;
    if (pending_.Pop(message)) {
      guard.unlock();
      ready.reset();
      KeepChannelInstruments(PlayHeld(message), ready);
      played = true;
      guard.lock();
      ready_ |= ready;
    } else if (!choices_.empty()) {
      const InstrumentChoice choice = choices_.front();
      choices_.pop_front();
      guard.unlock();
      ready.reset();
      LoadChoice(choice, ready);
      guard.lock();
      ready_ |= ready;
    } else if (played) {
      // The output plays again before the synthesizer is handed back, so that whoever
      // waits for the worker finds the sound going.
      played = false;
      guard.unlock();
      WakeOutput();
      guard.lock();
    } else {
      if (holding_) {
        holding_ = false;
        settled_.notify_all();
        ReportDropped();
      }
      work_.wait(guard, [this] { return stopping_ || holding_; });
      if (stopping_) return;
    }
  }
}

// Made here rather than in the open, which it would hold up for 10 ms and more (most of it
// the first touch of the memory it clears); the output renders silence meanwhile.
bool SynthDevice::CreateSynth() {
  SoundLibraryErrors errors;
  if (feed_->Create()) return true;
  std::fprintf(
      stderr, "plinkaro: FluidSynth could not create a synthesizer (%s): the synth plays nothing\n",
      errors.Describe("no reason given").c_str());
  return false;
}

void SynthDevice::LoadSoundfont() {
  SoundLibraryErrors errors;
  soundfont_ = fluid_synth_sfload(Synth(), soundfontPath_.c_str(), 1);
  if (soundfont_ != FLUID_FAILED) return;
  soundfont_ = -1;
  std::fprintf(stderr,
               "plinkaro: cannot load the soundfont %s (%s): set PLINKARO_MIDI_OUT=synth:FILE.sf2 "
               "to a SoundFont 2 file\n",
               soundfontPath_.c_str(), errors.Describe("it did not load").c_str());
}

// Returns the channels whose instruments the message may have changed.
std::uint16_t SynthDevice::PlayHeld(PendingMessages::Message& message) {
  switch (message.kind) {
    case PendingMessages::Kind::kShort:
      Play(message.word);
      if (IsProgramChange(message.word)) return std::uint16_t(1u << (message.word & 0x0F));
      return (message.word & 0xFF) == 0xFF ? kEveryChannel : 0;
    case PendingMessages::Kind::kLong:
      PlayLong(message.bytes.data(), message.bytes.size());
      return kEveryChannel;
    case PendingMessages::Kind::kReset: PlayReset(); return 0;
    case PendingMessages::Kind::kSystemReset:
      fluid_synth_system_reset(Synth());
      return kEveryChannel;
  }
  return 0;
}

// The instruments these channels now play stay loaded, and a program change that selects
// one of them again need not wait.
void SynthDevice::KeepChannelInstruments(std::uint16_t channels, InstrumentSet& ready) {
  if (soundfont_ < 0) return;
  for (int channel = 0; channel < 16; ++channel) {
    if (!(channels & (1u << channel))) continue;
    fluid_preset_t* preset = fluid_synth_get_channel_preset(Synth(), channel);
    if (!preset || !Keep(preset)) continue;
    int soundfont = 0;
    int bank = 0;
    int program = 0;
    fluid_synth_get_program(Synth(), channel, &soundfont, &bank, &program);
    const int index = IndexOf(ChoiceOnChannel(channel, program));
    if (index >= 0) ready.set(static_cast<std::size_t>(index));
  }
}

// Messages that found every slot taken while the worker held the synthesizer are lost:
// said once for each time it happens.
void SynthDevice::ReportDropped() {
  const std::size_t dropped = pending_.Dropped();
  if (dropped == droppedReported_) return;
  std::fprintf(stderr, "plinkaro: %zu MIDI messages were dropped while the synthesizer loaded\n",
               dropped - droppedReported_);
  droppedReported_ = dropped;
}

// A choice whose bank the soundfont lacks falls back as FluidSynth does (melodic: bank 0,
// then the first piano; drums: the standard kit); the fallback is loaded, but only an
// exact match makes the program change ready, so that a different fallback in FluidSynth
// never loads on a sender's thread.
void SynthDevice::LoadChoice(const InstrumentChoice& choice, InstrumentSet& ready) {
  if (soundfont_ < 0) return;
  fluid_sfont_t* soundfont = fluid_synth_get_sfont_by_id(Synth(), soundfont_);
  if (!soundfont) return;
  const int bank = choice.drum ? kDrumBank : choice.bank;
  fluid_preset_t* preset = fluid_sfont_get_preset(soundfont, bank, choice.program);
  const bool exact = preset != nullptr;
  if (!preset && choice.drum) preset = fluid_sfont_get_preset(soundfont, kDrumBank, 0);
  if (!preset) preset = fluid_sfont_get_preset(soundfont, 0, choice.program);
  if (!preset) preset = fluid_sfont_get_preset(soundfont, 0, 0);
  if (preset && Keep(preset) && exact) ready.set(static_cast<std::size_t>(IndexOf(choice)));
}

bool SynthDevice::Keep(fluid_preset_t* preset) {
  return fluid_synth_pin_preset(Synth(), soundfont_, fluid_preset_get_banknum(preset),
                                fluid_preset_get_num(preset)) == FLUID_OK;
}

// ---- Tests and benchmarks ----

bool SynthDevice::Settle(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> guard(lock_);
  return settled_.wait_for(guard, timeout, [this] { return !holding_ || broken_; });
}

std::size_t SynthDevice::ReadyChoices() {
  std::lock_guard<std::mutex> guard(lock_);
  return ready_.count();
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
