#include "song/track_reader.h"

void TrackReader::ClearTrackReader() {
  start = nullptr;
  sink = nullptr;
  ReleaseTrackReader();
}

void TrackReader::ReleaseTrackReader() {
  delete[] start;
  start = nullptr;
  length = 0;
  RewindTrackReader();
}

void TrackReader::RewindTrackReader() {
  cursor = start;
  pendingDelta = 0;
  runningStatus = data1 = data2 = spare = 0;
}

DWORD DecodeVarLen(const BYTE* bytes, DWORD available, DWORD* byteCount) {
  DWORD value = 0;
  for (DWORD used = 0; used < available; used++) {
    value = (value << 7) | (bytes[used] & 0x7F);
    if (!(bytes[used] & 0x80)) {
      *byteCount = used + 1;
      return value;
    }
  }
  *byteCount = 0;
  return value;
}

DWORD TrackReader::ReadVarLen(DWORD* byteCount) {
  DWORD used;
  const DWORD value = DecodeVarLen(cursor, static_cast<DWORD>(End() - cursor), &used);
  // NOTE: a quantity cut off by the end of the track ends the track there.
  cursor = used ? cursor + used : End();
  if (byteCount) *byteCount = used;
  return value;
}

DWORD TrackReader::AdvanceTrack(DWORD ticks) {
  if (!cursor) return 0;
  while (cursor < End()) {
    if (pendingDelta == 0) {
      DWORD used;
      pendingDelta = ReadVarLen(&used);
      // A delta time with no event after it (or cut short) is the end of the track.
      if (used == 0 || cursor >= End()) {
        pendingDelta = 0;
        Finish();
        return 0;
      }
    }
    if (ticks < pendingDelta) {
      pendingDelta -= ticks;
      return 1;
    }
    ticks -= pendingDelta;
    pendingDelta = 0;
    const BYTE* event = cursor;
    if (*event >= 0x80) {
      runningStatus = *event;
      HandleStatusEvent(event);
    } else {
      HandleRunningStatus(event);
    }
  }
  return 0;
}

// Events that begin with their own status byte. An event whose bytes run past the end of
// the track is not delivered (system-exclusive and meta bodies are cut instead) and ends
// the track, so nothing outside the track is ever read or handed on.
void TrackReader::HandleStatusEvent(const BYTE* event) {
  const BYTE status = *event;
  DWORD size = 0;
  if (status < 0xC0 || (status >= 0xE0 && status < 0xF0) || status == 0xF2) {
    size = 3;
  } else if (status < 0xE0 || status == 0xF1 || status == 0xF3) {
    size = 2;
  } else if (status == 0xF0 || status == 0xF7) {
    return HandleLengthEvent(event, 1);
  } else if (status == 0xFF) {
    return HandleLengthEvent(event, 2);
  } else if (status == 0xF4 || status == 0xF5 || status == 0xFD) {
    return;  // undefined: its byte is read as the next delta time
  } else {
    size = 1;
  }
  if (static_cast<DWORD>(End() - event) < size) return Finish();
  cursor = event + size;
  Deliver(event, size);
}

// System exclusive (headerBytes 1: the status) and meta events (2: status and type),
// followed by a length quantity and that many bytes.
void TrackReader::HandleLengthEvent(const BYTE* event, DWORD headerBytes) {
  if (static_cast<DWORD>(End() - event) <= headerBytes) return Finish();
  cursor = event + headerBytes;
  DWORD used;
  const DWORD bodyLength = ReadVarLen(&used);
  if (used == 0) return;  // the length itself is cut off: the track has ended
  const DWORD left = static_cast<DWORD>(End() - cursor);
  if (bodyLength > left) {
    Finish();
    return Deliver(event, headerBytes + used + left);
  }
  cursor += bodyLength;
  Deliver(event, headerBytes + used + bodyLength);
}

void TrackReader::HandleRunningStatus(const BYTE* event) {
  const BYTE status = runningStatus;
  DWORD size = 0;
  if ((status >= 0x80 && status < 0xC0) || (status >= 0xE0 && status < 0xF0) || status == 0xF2) {
    size = 2;
  } else if ((status >= 0xC0 && status < 0xE0) || status == 0xF1 || status == 0xF3) {
    size = 1;
  } else {
    return;  // no status to continue: the byte is read as the next delta time
  }
  if (static_cast<DWORD>(End() - event) < size) return Finish();
  data1 = event[0];
  if (size == 2) data2 = event[1];
  cursor = event + size;
  Deliver(runningMessage, size + 1);
}

void TrackReader::Deliver(const BYTE* event, DWORD eventLength) {
  if (sink) sink(event, eventLength);
}
