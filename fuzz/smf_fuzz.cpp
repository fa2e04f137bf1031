// Fuzz target: a Standard MIDI File loaded from bytes and played to its end, with the
// clock stepped by the target (no sleeping) into the in-memory MIDI recorder.
#include <cstddef>
#include <cstdint>

#include "common/redraw_queue.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/song_state.h"
#include "winmm/testing/midi_recorder.h"

namespace {

bool AllFinished() {
  for (DWORD i = 0; i < songState.trackCount; i++) {
    const TrackReader& reader = songState.readers[i];
    if (reader.cursor && reader.cursor < reader.start + reader.length) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static plk::winmm::testing::MidiRecorder* recorder = [] {
    auto* made = new plk::winmm::testing::MidiRecorder;
    OpenMidiOutput();
    return made;
  }();
  if (size > 1 << 20) return 0;
  LoadSmfImage(data, static_cast<DWORD>(size));
  // A few steps through the clock as playback runs them, then whatever is left in
  // steps large enough to reach the end of any track. Headers that announce thousands of
  // tracks get fewer steps: each step visits every reader.
  const int steps = songState.trackCount > 1024 ? 2 : 32;
  DWORD now = songState.lastTickTime;
  for (int step = 0; step < steps && !AllFinished(); step++)
    StepPlaybackClock(now += 1 + step * 37);
  for (int step = 0; step < steps && !AllFinished(); step++) {
    for (DWORD i = 0; i < songState.trackCount; i++) songState.readers[i].AdvanceTrack(0xFFFFFFFF);
  }
  recorder->Take();
  redrawQueue.readIndex = redrawQueue.writeIndex;
  return 0;
}
