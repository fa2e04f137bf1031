// The loaded song and its playback clock. The UI thread changes these only while no
// playback timer callback can run; the timer thread reads and advances them while playback
// runs. Nothing here takes a lock.
#pragma once

#include <windows.h>

#include "song/track_reader.h"

#define DEFAULT_TEMPO_MICROS 500000
#define STOP_WAIT_MS 100

struct SongState {
  TrackReader* readers;  // trackCount readers, in file order
  DWORD trackCount;
  DWORD ticksPerQuarter;               // the header's division word, zero-extended
  DWORD tempoMicros;                   // microseconds per quarter note, never 0
  unsigned long long tickAccumulator;  // 32.32 fixed point; only the fraction is kept between steps
  DWORD lastTickTime;                  // timeGetTime at the last clock step or start
  UINT playTimerId;                    // the running periodic timer, 0 when stopped
};

extern SongState songState;

void ReleaseSong();
