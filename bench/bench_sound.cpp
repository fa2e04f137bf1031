// How fast the synth device turns a MIDI call into sound: the cost of midiOutShortMsg up to
// the synthesizer holding the note, the audio the default settings queue ahead of the
// speaker, the key-to-first-sample delay seen in the WAV renderer's clock-paced file (for a
// note struck at once after the open, too), the PulseAudio stream's resume after it corked
// in silence (with PULSE_SERVER set), and the synthesizer's CPU use idle and with a held
// chord.
#include <benchmark/benchmark.h>
#include <mmsystem.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <span>
#include <thread>

#include "tone_analysis.h"
#include "winmm/devices/synth_device.h"
#include "winmm/pulse_output.h"
#include "winmm/synth_options.h"

namespace plk::winmm {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string BenchWavPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// The first channel of a WAV file, and its sample rate.
std::vector<float> LeftChannel(const std::string& path, int& rate) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  std::vector<float> frames(static_cast<std::size_t>(info.frames) * info.channels);
  if (file) sf_readf_float(file, frames.data(), info.frames), sf_close(file);
  std::vector<float> left;
  for (std::size_t i = 0; i < frames.size(); i += info.channels) left.push_back(frames[i]);
  rate = info.samplerate;
  return left;
}

// Opens the mapper on a synth (by default rendering into a WAV file), with the device kept
// at hand; closing frees it, parked or not, so that its file is complete.
class SynthHandle {
 public:
  explicit SynthHandle(const std::string& wavPath)
      : SynthHandle(SynthOptions{kDefaultSoundfont, AudioSink::kWavFile, "", wavPath}) {}
  explicit SynthHandle(const SynthOptions& options) {
    SetMapperOverrideForTesting([this, options]() -> std::unique_ptr<MidiDevice> {
      std::string whyNot;
      auto device = SynthDevice::Open(options, whyNot);
      device_ = device.get();
      return device;
    });
    midiOutOpen(&handle_, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
  }
  ~SynthHandle() {
    if (handle_) midiOutClose(handle_);
    SetMapperOverrideForTesting(nullptr);
  }
  SynthHandle(const SynthHandle&) = delete;
  SynthHandle& operator=(const SynthHandle&) = delete;

  HMIDIOUT Handle() const { return handle_; }
  SynthDevice* Device() const { return device_; }

 private:
  HMIDIOUT handle_ = nullptr;
  SynthDevice* device_ = nullptr;
};

void BM_ShortMsgNoteOnToVoice(benchmark::State& state) {
  SynthHandle synth(BenchWavPath("plinkaro-bench-call.wav"));
  if (!synth.Device() || !synth.Device()->Settle()) return state.SkipWithError("no synth");
  for (auto _ : state) {
    const auto start = Clock::now();
    midiOutShortMsg(synth.Handle(), 0x7F3C90);
    const auto end = Clock::now();
    if (fluid_synth_get_active_voice_count(synth.Device()->Synth()) == 0) {
      return state.SkipWithError("no voice after the note-on");
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    midiOutShortMsg(synth.Handle(), 0x0078B0);  // all sound off, so voices never pile up
  }
}
BENCHMARK(BM_ShortMsgNoteOnToVoice)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_DefaultBufferedAudio(benchmark::State& state) {
  fluid_settings_t* settings = new_fluid_settings();
  ApplySynthSettings(settings);
  ApplyDriverSettings(settings, "alsa");
  for (auto _ : state) benchmark::DoNotOptimize(BufferedMilliseconds(settings));
  state.counters["driver_buffer_ms"] = BufferedMilliseconds(settings);
  state.counters["wav_block_ms"] = 1000.0 * kWavPeriodFrames / kSampleRate;
  delete_fluid_settings(settings);
}
BENCHMARK(BM_DefaultBufferedAudio)->Iterations(1);

// Notes struck at known moments, then found in the file: the file's sample clock says
// when each would have reached the speaker.
void BM_KeyToFirstAudibleSample(benchmark::State& state) {
  constexpr int kStrikes = 20;
  const std::string path = BenchWavPath("plinkaro-bench-latency.wav");
  std::vector<double> struckAt;
  for (auto _ : state) {
    SynthHandle synth(path);
    if (!synth.Device()) return state.SkipWithError("the synth did not open");
    fluid_synth_reverb_on(synth.Device()->Synth(), -1, 0);  // no tail into the next strike
    fluid_synth_chorus_on(synth.Device()->Synth(), -1, 0);
    const Clock::time_point start = *synth.Device()->WavStartTime();
    for (int strike = 0; strike < kStrikes; ++strike) {
      std::this_thread::sleep_for(std::chrono::microseconds(150000 + 7919 * strike % 5000));
      struckAt.push_back(std::chrono::duration<double>(Clock::now() - start).count());
      midiOutShortMsg(synth.Handle(), 0x7F4590);
      std::this_thread::sleep_for(100ms);
      midiOutShortMsg(synth.Handle(), 0x0078B0);
    }
    std::this_thread::sleep_for(100ms);
  }
  int rate = 0;
  const std::vector<float> left = LeftChannel(path, rate);
  double sum = 0;
  double worst = 0;
  for (double moment : struckAt) {
    const auto from = static_cast<std::size_t>(moment * rate);
    std::span<const float> after = std::span<const float>(left).subspan(from);
    const std::size_t onset = testing::FirstAudibleSample(after, 0.0005f);
    const double delay = 1000.0 * static_cast<double>(onset) / rate;
    sum += delay;
    worst = std::max(worst, delay);
  }
  state.counters["mean_ms"] = sum / static_cast<double>(struckAt.size());
  state.counters["max_ms"] = worst;
  std::filesystem::remove(path);
}
BENCHMARK(BM_KeyToFirstAudibleSample)->Iterations(1)->Unit(benchmark::kMillisecond);

// A note struck at once after the open, before the soundfont has loaded: how long until the
// soundfont is in and the held note played, and where its sound starts in the file.
void BM_FirstNoteAfterOpen(benchmark::State& state) {
  const std::string path = BenchWavPath("plinkaro-bench-first.wav");
  double loaded = 0, onset = 0;
  for (auto _ : state) {
    Clock::time_point start, struck;
    {
      SynthHandle synth(path);
      if (!synth.Device()) return state.SkipWithError("the synth did not open");
      start = *synth.Device()->WavStartTime();
      struck = Clock::now();
      midiOutShortMsg(synth.Handle(), 0x7F4590);
      synth.Device()->Settle();
      loaded = std::chrono::duration<double, std::milli>(Clock::now() - struck).count();
      std::this_thread::sleep_for(300ms);
    }
    int rate = 0;
    const std::vector<float> left = LeftChannel(path, rate);
    const double from = std::chrono::duration<double>(struck - start).count() * rate;
    const auto after = std::span<const float>(left).subspan(static_cast<std::size_t>(from));
    onset = 1000.0 * static_cast<double>(testing::FirstAudibleSample(after, 0.0005f)) / rate;
  }
  state.counters["loaded_ms"] = loaded;
  state.counters["key_to_sound_ms"] = onset;
  std::filesystem::remove(path);
}
BENCHMARK(BM_FirstNoteAfterOpen)->Iterations(3)->Unit(benchmark::kMillisecond);

// Through a PulseAudio server (PULSE_SERVER): notes struck after the stream has corked in
// silence; from the strike to the first sound handed to the server, and what the stream
// then queues ahead of it.
void BM_PulseResumeAfterSilence(benchmark::State& state) {
  if (!std::getenv("PULSE_SERVER")) return state.SkipWithError("PULSE_SERVER is not set");
  SynthHandle synth(SynthOptions{kDefaultSoundfont, AudioSink::kDriver, "pulseaudio", ""});
  auto* output = synth.Device() ? dynamic_cast<PulseOutput*>(synth.Device()->Output()) : nullptr;
  if (!output) return state.SkipWithError("no PulseAudio stream");
  synth.Device()->Settle();
  double worst = 0, sum = 0, queued = 0;
  int strikes = 0;
  for (auto _ : state) {
    for (int waited = 0; waited < 200 && !output->Corked(); ++waited)
      std::this_thread::sleep_for(50ms);
    if (!output->Corked()) return state.SkipWithError("the stream did not cork in silence");
    midiOutShortMsg(synth.Handle(), 0x7F4590);
    std::this_thread::sleep_for(100ms);
    midiOutShortMsg(synth.Handle(), 0x004590);
    const PulseOutput::Resume resume = output->LastResume();
    const double ms = static_cast<double>(resume.toFirstSound.count()) / 1000;
    sum += ms;
    worst = std::max(worst, ms);
    queued = static_cast<double>(resume.queued.count()) / 1000;
    ++strikes;
  }
  state.counters["to_first_sound_mean_ms"] = sum / strikes;
  state.counters["to_first_sound_max_ms"] = worst;
  state.counters["queued_ms"] = queued;
}
BENCHMARK(BM_PulseResumeAfterSilence)->Iterations(5)->Unit(benchmark::kMillisecond);

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU share of one core while the renderer plays `notes` held organ notes for 3 s.
void BM_SynthCpu(benchmark::State& state) {
  const int notes = static_cast<int>(state.range(0));
  const std::string path = BenchWavPath("plinkaro-bench-cpu.wav");
  double share = 0;
  for (auto _ : state) {
    SynthHandle synth(path);
    if (!synth.Device()) return state.SkipWithError("the synth did not open");
    midiOutShortMsg(synth.Handle(), 0x0013C0);  // church organ: the voices never decay
    for (int note = 0; note < notes; ++note) {
      midiOutShortMsg(synth.Handle(), 0x7F0090 | static_cast<DWORD>((48 + note * 2) << 8));
    }
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(3s);
    share = (CpuSeconds() - cpuBefore) /
            std::chrono::duration<double>(Clock::now() - wallBefore).count();
  }
  state.counters["cpu_percent"] = 100.0 * share;
  std::filesystem::remove(path);
}
BENCHMARK(BM_SynthCpu)->Arg(0)->Arg(16)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plk::winmm
