// The cost that winmm itself adds to every MIDI call: midiOutShortMsg on a device that drops
// the message, from one thread and from two threads sharing the handle (the window and the
// playback timer do).
#include <mmsystem.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

#include "winmm/midi_device.h"

namespace {

class DroppingDevice final : public plk::winmm::MidiDevice {
 public:
  void ShortMessage(DWORD message) override { benchmark::DoNotOptimize(message); }
  void LongMessage(const BYTE*, std::size_t) override {}
  void Reset() override {}
};

HMIDIOUT OpenDroppingOutput() {
  plk::winmm::SetMapperOverrideForTesting([] { return std::make_unique<DroppingDevice>(); });
  HMIDIOUT handle = nullptr;
  midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
  plk::winmm::SetMapperOverrideForTesting(nullptr);
  return handle;
}

std::atomic<HMIDIOUT> shared{nullptr};

void BM_ShortMsg(benchmark::State& state) {
  if (state.thread_index() == 0) shared = OpenDroppingOutput();
  for (auto _ : state) {
    midiOutShortMsg(shared, 0x7F3C90);
  }
  if (state.thread_index() == 0) midiOutClose(shared);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShortMsg)->Threads(1)->Threads(2);

}  // namespace
