#include "song/song_position.h"

#include "common/shared_word.h"
#include "song/song_state.h"

namespace {

#define WALK_TRACK_MAX 256

// The walk's copies of the readers: they share the song's bytes and deliver only to the
// tempo sink below.
TrackReader WalkReaders[WALK_TRACK_MAX];
DWORD walkTempo = 0;

void CatchTempo(const BYTE* event, DWORD length) {
  if (length < 6 || event[0] != 0xFF || event[1] != 0x51 || event[2] != 3) return;
  const DWORD tempo = (event[3] << 16) | (event[4] << 8) | event[5];
  walkTempo = tempo ? tempo : 1;
}

// Ticks to the next event of any track, after every event due now was delivered; 0 when
// every track has ended.
DWORD DeliverDueEvents(DWORD count) {
  DWORD next = 0;
  for (DWORD i = 0; i < count; i++) {
    if (WalkReaders[i].AdvanceTrack(0) && (next == 0 || WalkReaders[i].pendingDelta < next)) {
      next = WalkReaders[i].pendingDelta;
    }
  }
  return next;
}

unsigned long long TicksToMicros(DWORD ticks) {
  return static_cast<unsigned long long>(ticks) * walkTempo / songState.ticksPerQuarter;
}

void FormatTime(char* text, DWORD ms) {
  const DWORD seconds = ms / 1000;
  wsprintfA(text, "%lu:%02lu", seconds / 60, seconds % 60);
}

}  // namespace

void MeasureSong(DWORD tick, DWORD* tickMs, DWORD* lengthMs) {
  *tickMs = *lengthMs = 0;
  const DWORD count = songState.trackCount < WALK_TRACK_MAX ? songState.trackCount : WALK_TRACK_MAX;
  if (songState.ticksPerQuarter == 0 || count == 0) return;
  for (DWORD i = 0; i < count; i++) {
    // Only what the timer thread never changes is read from the song's own readers.
    WalkReaders[i].start = songState.readers[i].start;
    WalkReaders[i].length = songState.readers[i].length;
    WalkReaders[i].RewindTrackReader();
    WalkReaders[i].sink = CatchTempo;
  }
  walkTempo = DEFAULT_TEMPO_MICROS;
  unsigned long long micros = 0;
  unsigned long long at = 0;  // the walk's tick
  BOOL tickPassed = FALSE;
  for (DWORD step = DeliverDueEvents(count); step != 0; step = DeliverDueEvents(count)) {
    if (!tickPassed && at + step >= tick) {
      *tickMs = static_cast<DWORD>((micros + TicksToMicros(static_cast<DWORD>(tick - at))) / 1000);
      tickPassed = TRUE;
    }
    micros += TicksToMicros(step);
    at += step;
    for (DWORD i = 0; i < count; i++) WalkReaders[i].AdvanceTrack(step);
  }
  *lengthMs = static_cast<DWORD>(micros / 1000);
  if (!tickPassed) *tickMs = *lengthMs;
}

void FormatSongPosition(char* text) {
  DWORD positionMs;
  DWORD lengthMs;
  MeasureSong(ReadSharedWord(&songState.songTick), &positionMs, &lengthMs);
  char position[16];
  char length[16];
  FormatTime(position, positionMs);
  FormatTime(length, lengthMs);
  wsprintfA(text, "%s / %s", position, length);
}
