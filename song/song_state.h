// The loaded song and its playback clock, and the per-track reader that walks one track.
// The UI thread changes these only while no playback timer callback can run; the timer
// thread reads and advances them while playback runs. Nothing here takes a lock.
#pragma once

#include <windows.h>

#define DEFAULT_TEMPO_MICROS 500000
#define STOP_WAIT_MS 100

// Receives one song event: its bytes start with a status byte and stay valid only
// during the call.
typedef void (*EventSink)(const BYTE* event, DWORD length);

class TrackReader {
 public:
  BYTE* start;         // this reader's own copy of one track chunk's event bytes
  DWORD length;        // bytes at start
  const BYTE* cursor;  // next unread byte; null when the reader holds no track
  DWORD pendingDelta;  // ticks still to wait for the event at cursor; 0: delta not read yet
  // The sink sees a running-status event as these three bytes, so they stay together.
  union {
    struct {
      BYTE runningStatus;
      BYTE data1;
      BYTE data2;
      BYTE spare;
    };
    BYTE runningMessage[4];
  };
  EventSink sink;

  void ClearTrackReader();
  void ReleaseTrackReader();
  // The variable-length quantity at cursor; cursor moves past it. byteCount receives its
  // size, 0 when the track ends inside it (cursor is then at the end).
  DWORD ReadVarLen(DWORD* byteCount = nullptr);
  // Hands every event due within `ticks` to the sink. 1 while an event waits, 0 once the
  // track is used up or the reader holds none.
  DWORD AdvanceTrack(DWORD ticks);

 private:
  const BYTE* End() const { return start + length; }
  void Finish() { cursor = End(); }
  void HandleStatusEvent(const BYTE* event);
  void HandleRunningStatus(const BYTE* event);
  void HandleLengthEvent(const BYTE* event, DWORD headerBytes);
  void Deliver(const BYTE* event, DWORD eventLength);
};

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
