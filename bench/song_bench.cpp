// The song's hot paths: one clock step over many waiting tracks, a dense song decoded and
// dispatched into a MIDI device, and a file image loaded from memory.
#include <benchmark/benchmark.h>

#include <memory>

#include "common/redraw_queue.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/song_state.h"
#include "smf/test_songs.h"
#include "winmm/midi_device.h"
#include "winmm/testing/manual_timers.h"
#include "winmm/testing/midi_recorder.h"

namespace {

using plk::smf::Bytes;

constexpr std::uint32_t kDenseTracks = 16;
constexpr std::uint32_t kDenseEventsPerTrack = 65536;

// Counts messages and keeps nothing, so that only the song's own work is measured.
class DroppingDevice final : public plk::winmm::MidiDevice {
 public:
  void ShortMessage(DWORD) override { messages++; }
  void LongMessage(const BYTE*, std::size_t) override { messages++; }
  void Reset() override {}
  static inline std::uint64_t messages = 0;
};

Bytes IdleSong(std::uint32_t tracks) {
  return plk::smf::File(480, std::vector<Bytes>(tracks, plk::smf::IdleTrackData()));
}

Bytes DenseSong() { return plk::smf::DenseSong(kDenseTracks, kDenseEventsPerTrack); }

bool Load(const Bytes& file) { return LoadSmfImage(file.data(), static_cast<DWORD>(file.size())); }

// 1 ms steps over waiting tracks: what every callback costs in the quiet parts of a song.
void BM_StepPlaybackClock_IdleTracks(benchmark::State& state) {
  const auto tracks = static_cast<std::uint32_t>(state.range(0));
  if (!Load(IdleSong(tracks))) {
    state.SkipWithError("load failed");
    return;
  }
  songState.lastTickTime = 0;
  DWORD now = 0;
  for (auto _ : state) StepPlaybackClock(++now);
  ReleaseSong();
}
BENCHMARK(BM_StepPlaybackClock_IdleTracks)->Arg(1000);

// The same through the timer callback, which reads the time itself.
void BM_PlaybackTick_IdleTracks(benchmark::State& state) {
  const auto tracks = static_cast<std::uint32_t>(state.range(0));
  if (!Load(IdleSong(tracks))) {
    state.SkipWithError("load failed");
    return;
  }
  plk::winmm::testing::UseManualTime(true);
  std::uint32_t now = 0;
  songState.lastTickTime = 0;
  for (auto _ : state) {
    plk::winmm::testing::SetManualTime(++now);
    PlaybackTick(0, 0, 0, 0, 0);
  }
  plk::winmm::testing::UseManualTime(false);
  ReleaseSong();
}
BENCHMARK(BM_PlaybackTick_IdleTracks)->Arg(1000);

// The whole song in 1 ms steps: every event decoded, mirrored into the channel records,
// sent, and its redraw pushed; the queue is emptied every 10 steps, as the painter does.
// Items are events; the rate is per CPU second.
template <typename Between>
void PlayWholeSong(benchmark::State& state, Between between) {
  if (!Load(DenseSong())) {
    state.SkipWithError("load failed");
    return;
  }
  // Two events a tick on every track, 0.96 tick a millisecond at the default tempo.
  const DWORD songMillis = kDenseEventsPerTrack / 2 * 100 / 96 + 10;
  for (auto _ : state) {
    state.PauseTiming();
    RewindSong();
    songState.lastTickTime = 0;
    DiscardRedraws();
    between();
    state.ResumeTiming();
    for (DWORD now = 1; now <= songMillis; now++) {
      StepPlaybackClock(now);
      if (now % 10 == 0) DiscardRedraws();
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kDenseTracks *
                          kDenseEventsPerTrack);
  ReleaseSong();
}

void BM_DecodeDispatch_DroppingDevice(benchmark::State& state) {
  plk::winmm::SetMapperOverrideForTesting([] { return std::make_unique<DroppingDevice>(); });
  OpenMidiOutput();
  DroppingDevice::messages = 0;
  PlayWholeSong(state, [] {});
  // Every event is a message.
  if (DroppingDevice::messages !=
      std::uint64_t(state.iterations()) * kDenseTracks * kDenseEventsPerTrack) {
    state.SkipWithError("messages lost");
  }
  CloseMidiOutput();
  plk::winmm::SetMapperOverrideForTesting(nullptr);
}
BENCHMARK(BM_DecodeDispatch_DroppingDevice)->Unit(benchmark::kMillisecond);

// Into the test recorder, which formats every message as text under its lock.
void BM_DecodeDispatch_Recorder(benchmark::State& state) {
  plk::winmm::testing::MidiRecorder recorder;
  OpenMidiOutput();
  PlayWholeSong(state, [&] { recorder.Take(); });
  CloseMidiOutput();
}
BENCHMARK(BM_DecodeDispatch_Recorder)->Unit(benchmark::kMillisecond);

// The loader from a file image already in memory: 16 tracks of 1 MiB each.
void BM_LoadSmfImage(benchmark::State& state) {
  const Bytes file = plk::smf::DenseSong(16, 1 << 18);
  for (auto _ : state) {
    if (!Load(file)) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
  ReleaseSong();
}
BENCHMARK(BM_LoadSmfImage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
