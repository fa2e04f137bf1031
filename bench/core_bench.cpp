// The live-play hot paths: one key's note-on and note-off through a MIDI device, a full
// redraw queue pushed and drained, and what keeping a message in a take costs.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "common/redraw_queue.h"
#include "display/redraw_drain.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"
#include "midi/take_capture.h"
#include "winmm/testing/midi_recorder.h"

namespace {

void PlayKey(benchmark::State& state) {
  ResetChannelDefaults();
  for (auto _ : state) {
    SendKeyNote(TRUE, 0, 60);
    SendKeyNote(FALSE, 0, 60);
    DiscardRedraws();
  }
}

void BM_KeyDownUp_LogDevice(benchmark::State& state) {
  const std::string setting = "log:/tmp/plinkaro-bench-midi.log";
  setenv("PLINKARO_MIDI_OUT", setting.c_str(), 1);
  OpenMidiOutput();
  PlayKey(state);
  CloseMidiOutput();
  std::remove("/tmp/plinkaro-bench-midi.log");
}
BENCHMARK(BM_KeyDownUp_LogDevice);

void BM_KeyDownUp_MemoryRecorder(benchmark::State& state) {
  plk::winmm::testing::MidiRecorder recorder;
  OpenMidiOutput();
  int played = 0;
  for (auto _ : state) {
    SendKeyNote(TRUE, 0, 60);
    SendKeyNote(FALSE, 0, 60);
    DiscardRedraws();
    if (++played % 1024 == 0) recorder.Take();  // keep the recording small
  }
  CloseMidiOutput();
}
BENCHMARK(BM_KeyDownUp_MemoryRecorder);

// The drain with drawing that draws nothing, so that the queue's own cost is measured.
void BM_Push1024AndDrain(benchmark::State& state) {
  for (RedrawHandler& handler : RedrawHandlerTable) handler.draw = [](HDC, DWORD, DWORD) {};
  for (auto _ : state) {
    for (DWORD i = 0; i < REDRAW_QUEUE_SIZE; i++) PushRedraw(REDRAW_KEY, i & 15, i & 127, 0);
    OnRedrawTimer();
  }
  state.SetItemsProcessed(state.iterations() * REDRAW_QUEUE_SIZE);
}
BENCHMARK(BM_Push1024AndDrain);

// One short message into the running take. Every 4096 messages, with the clock stopped, the
// blocks ahead are prepared as the window's timer does, and a full take is let go.
void BM_CaptureShortMessage(benchmark::State& state) {
  StartTake();
  DWORD message = 0;
  for (auto _ : state) {
    CaptureShortMessage(0x7F3C90 + (message & 15));
    if (++message % 4096 == 0) {
      state.PauseTiming();
      PrepareTakeBlocks();
      if (TakeIsFull()) ReleaseTake(CutTake());
      state.ResumeTiming();
    }
  }
  ReleaseTake(EndTake());
}
BENCHMARK(BM_CaptureShortMessage);

// The same when no take runs: what every message pays for recording being possible.
void BM_CaptureShortMessage_NoTake(benchmark::State& state) {
  for (auto _ : state) CaptureShortMessage(0x7F3C90);
}
BENCHMARK(BM_CaptureShortMessage_NoTake);

}  // namespace

BENCHMARK_MAIN();
