#include "song/song_map.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "common/shared_word.h"
#include "song/song_state.h"

SongMap songMap = {nullptr, 0, 0, 0, 0};
DWORD songTick = 0;
DWORD walkTick = 0;

namespace {

// A second change at one tick replaces the first, as playback would only ever use the last.
void AddTempoChange(DWORD tick, DWORD tempoMicros) {
  TempoChange* last = songMap.changeCount ? &songMap.changes[songMap.changeCount - 1] : nullptr;
  if (last && last->tick == tick) {
    last->tempoMicros = tempoMicros;
    return;
  }
  if (songMap.changeCount == songMap.changeCapacity) {
    const DWORD capacity = songMap.changeCapacity ? songMap.changeCapacity * 2 : 64;
    TempoChange* grown = new (std::nothrow) TempoChange[capacity];
    // Without memory the song keeps the changes it has: its times are then approximate.
    if (!grown) return;
    if (songMap.changeCount) {
      std::memcpy(grown, songMap.changes, songMap.changeCount * sizeof(TempoChange));
    }
    delete[] songMap.changes;
    songMap.changes = grown;
    songMap.changeCapacity = capacity;
  }
  songMap.changes[songMap.changeCount++] = {tick, tempoMicros, 0};
}

void MapEvent(const BYTE* event, DWORD length) {
  if (event[0] < 0xF0) songMap.channelsUsed |= 1u << (event[0] & 0x0F);
  if (length >= 6 && event[0] == 0xFF && event[1] == 0x51 && event[2] == 0x03) {
    const DWORD micros = DWORD(event[3]) << 16 | DWORD(event[4]) << 8 | event[5];
    AddTempoChange(walkTick, micros > 0 ? micros : 1);
  }
}

void StampStartTimes() {
  const unsigned long long division = songState.ticksPerQuarter;
  for (DWORD i = 1; i < songMap.changeCount; i++) {
    const TempoChange& before = songMap.changes[i - 1];
    const unsigned long long ticks = songMap.changes[i].tick - before.tick;
    songMap.changes[i].startMicros =
        before.startMicros + (division ? ticks * before.tempoMicros / division : 0);
  }
}

// The last change at or before `tick`.
const TempoChange& ChangeAt(DWORD tick) {
  DWORD low = 0, high = songMap.changeCount;
  while (high - low > 1) {
    const DWORD middle = (low + high) / 2;
    if (songMap.changes[middle].tick <= tick) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return songMap.changes[low];
}

}  // namespace

DWORD WalkReaders(TrackReader* readers, DWORD count, DWORD lastTick) {
  walkTick = 0;
  for (DWORD i = 0; i < count; i++) readers[i].AdvanceTrack(0);
  for (;;) {
    // A reader that waits has a non-zero pendingDelta; a finished one has 0.
    DWORD step = lastTick - walkTick;
    bool waiting = false;
    for (DWORD i = 0; i < count; i++) {
      const DWORD delta = readers[i].pendingDelta;
      if (delta == 0) continue;
      waiting = true;
      if (delta < step) step = delta;
    }
    if (!waiting || step == 0) return walkTick;
    walkTick += step;
    for (DWORD i = 0; i < count; i++) {
      if (readers[i].pendingDelta) readers[i].AdvanceTrack(step);
    }
  }
}

void ReleaseSongMap() {
  delete[] songMap.changes;
  songMap = {nullptr, 0, 0, 0, 0};
}

void BuildSongMap() {
  ReleaseSongMap();
  AddTempoChange(0, DEFAULT_TEMPO_MICROS);
  const DWORD count = songState.trackCount;
  TrackReader* copies = count ? new (std::nothrow) TrackReader[count] : nullptr;
  if (count && !copies) return;
  // Copies share the tracks' bytes and walk them without disturbing the real readers.
  for (DWORD i = 0; i < count; i++) {
    copies[i] = songState.readers[i];
    copies[i].RewindTrackReader();
    copies[i].sink = MapEvent;
  }
  songMap.lengthTicks = WalkReaders(copies, count, 0xFFFFFFFF);
  delete[] copies;
  StampStartTimes();
}

DWORD TempoAtTick(DWORD tick) {
  return songMap.changeCount ? ChangeAt(tick).tempoMicros : DEFAULT_TEMPO_MICROS;
}

unsigned long long MicrosAtTick(DWORD tick) {
  if (!songMap.changeCount || !songState.ticksPerQuarter) return 0;
  const TempoChange& change = ChangeAt(tick);
  return change.startMicros + static_cast<unsigned long long>(tick - change.tick) *
                                  change.tempoMicros / songState.ticksPerQuarter;
}

DWORD TickAtMicros(unsigned long long micros) {
  if (!songMap.changeCount || !songState.ticksPerQuarter) return 0;
  DWORD low = 0, high = songMap.changeCount;
  while (high - low > 1) {
    const DWORD middle = (low + high) / 2;
    if (songMap.changes[middle].startMicros <= micros) {
      low = middle;
    } else {
      high = middle;
    }
  }
  const TempoChange& change = songMap.changes[low];
  const unsigned long long ticks =
      (micros - change.startMicros) * songState.ticksPerQuarter / change.tempoMicros;
  const unsigned long long tick = change.tick + ticks;
  return tick > 0xFFFFFFFFull ? 0xFFFFFFFF : static_cast<DWORD>(tick);
}

DWORD SongPositionMillis() {
  DWORD tick = ReadSharedWord(&songTick);
  if (tick > songMap.lengthTicks) tick = songMap.lengthTicks;
  return static_cast<DWORD>(MicrosAtTick(tick) / 1000);
}

DWORD SongLengthMillis() { return static_cast<DWORD>(MicrosAtTick(songMap.lengthTicks) / 1000); }

int FormatSongPosition(char* line) {
  const DWORD position = SongPositionMillis() / 1000;
  const DWORD length = SongLengthMillis() / 1000;
  return std::snprintf(line, 32, "%lu:%02lu / %lu:%02lu", static_cast<unsigned long>(position / 60),
                       static_cast<unsigned long>(position % 60),
                       static_cast<unsigned long>(length / 60),
                       static_cast<unsigned long>(length % 60));
}
