// What the whole song looks like in time: its tempo map, its length, the channels it uses,
// and the song's own time (at 100 % speed) of any tick. Built once per load, on the UI
// thread, from copies of the readers; read by both threads while it stays unchanged.
#pragma once

#include <windows.h>

#include "song/track_reader.h"

struct TempoChange {
  DWORD tick;
  DWORD tempoMicros;               // from this tick on
  unsigned long long startMicros;  // song time at this tick
};

struct SongMap {
  TempoChange* changes;  // in tick order; the first is at tick 0
  DWORD changeCount;
  DWORD changeCapacity;
  DWORD lengthTicks;   // the tick of the last event of the longest track
  DWORD channelsUsed;  // bit c set when the song sends anything on channel c
};

extern SongMap songMap;
// Ticks handed to the tracks since the song's start: advanced by the playback clock.
extern DWORD songTick;

// The tick the last walk reached; a walking sink reads it as the tick of its event.
extern DWORD walkTick;
// Steps `count` readers together from where they stand to `lastTick` (events at that tick
// included), tick by tick of their events, so that within one tick track 0 comes before
// track 1 as in playback. Returns the tick reached: lastTick, or the tick of the last
// event when every track ends before it. The readers must not have started their walk yet
// (pendingDelta 0 at a track's start, as after a rewind).
DWORD WalkReaders(TrackReader* readers, DWORD count, DWORD lastTick);

// Builds the map of the loaded song (an empty song has one change at tick 0 and length 0).
void BuildSongMap();
void ReleaseSongMap();

// The tempo in force at `tick` (changes at that very tick included).
DWORD TempoAtTick(DWORD tick);
// Song time at 100 % in microseconds, and back (the last tick not later than `micros`).
unsigned long long MicrosAtTick(DWORD tick);
DWORD TickAtMicros(unsigned long long micros);

// Where the song stands and how long it lasts, in milliseconds of the song's own time.
DWORD SongPositionMillis();
DWORD SongLengthMillis();
// "m:ss / m:ss" into `line` (at least 32 bytes); returns its length.
int FormatSongPosition(char* line);
