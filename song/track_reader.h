// The reader that walks one track's event stream: variable-length quantities, running
// status and the events handed to its sink as their time comes.
#pragma once

#include <windows.h>

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

  // Empties a reader whose fields hold anything at all, its sink included; frees nothing.
  void ClearTrackReader();
  // Frees the track and empties the reader; the sink stays.
  void ReleaseTrackReader();
  // Back to the track's first event, with no running status.
  void RewindTrackReader();
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

// The variable-length quantity at `bytes`, reading at most `available` bytes. byteCount
// receives the bytes it used, or 0 when the quantity does not end within `available`.
// Bits shifted out above 32 are lost, as the format allows any number of bytes.
DWORD DecodeVarLen(const BYTE* bytes, DWORD available, DWORD* byteCount);
