#include "record/take_file.h"

#include "song/smf_writer.h"
#include "song/song_state.h"

namespace {

#define LONGEST_EVENT 16  // the most bytes of any event other than a long message's data

typedef TakeStream TrackOutput;

// Why the last call failed; a failure that does not say is still a failure.
DWORD LastError() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

BOOL WriteAll(HANDLE file, const BYTE* bytes, DWORD count) {
  DWORD written = 0;
  return WriteFile(file, bytes, count, &written, nullptr) && written == count;
}

void Flush(TrackOutput& out) {
  if (out.used && !out.failed && !WriteAll(out.file, out.buffer, out.used)) {
    out.failed = TRUE;
    out.error = LastError();
  }
  out.used = 0;
}

// Room for `count` bytes in the buffer (count is at most LONGEST_EVENT).
BYTE* Reserve(TrackOutput& out, DWORD count) {
  if (out.file == INVALID_HANDLE_VALUE) return nullptr;
  if (out.used + count > TAKE_FILE_BUFFER_SIZE) Flush(out);
  return out.buffer + out.used;
}

void Commit(TrackOutput& out, DWORD count) {
  out.length += count;
  if (out.file != INVALID_HANDLE_VALUE) out.used += count;
}

void OpenStream(TrackOutput& out, HANDLE file) {
  out.file = file;
  out.nextSlot = out.length = out.used = out.messageCount = out.lastTime = 0;
  out.failed = FALSE;
  out.error = ERROR_SUCCESS;
}

// A delta time in ticks (milliseconds). When one thread stamps its message and another
// stamps and appends its own first, the later slot went out later: its time is raised to
// the one before it rather than moved ahead of it.
void PutDelta(TrackOutput& out, DWORD time) {
  const DWORD delta = time > out.lastTime ? time - out.lastTime : 0;
  out.lastTime += delta;
  Commit(out, WriteVarLen(Reserve(out, 5), delta));
}

void PutBytes(TrackOutput& out, const BYTE* bytes, DWORD count) {
  BYTE* at = Reserve(out, count);
  for (DWORD i = 0; at && i < count; i++) at[i] = bytes[i];
  Commit(out, count);
}

// Data bytes keep their low seven bits, so that no data byte reads as a status byte.
void PutChannelMessage(TrackOutput& out, DWORD time, DWORD message) {
  const BYTE bytes[] = {BYTE(message), BYTE((message >> 8) & 0x7F), BYTE((message >> 16) & 0x7F)};
  PutDelta(out, time);
  PutBytes(out, bytes, ChannelMessageLength(bytes[0]));
}

void PutControlChange(TrackOutput& out, DWORD time, int ch, BYTE controller, BYTE value) {
  PutChannelMessage(out, time, DWORD(0xB0 | ch) | DWORD(controller) << 8 | DWORD(value) << 16);
}

void PutInstruments(TrackOutput& out, const Take* take) {
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
    const DWORD word = take->instruments[ch];
    PutControlChange(out, 0, ch, 0x00, BYTE(word >> 16));
    PutControlChange(out, 0, ch, 0x20, BYTE(word >> 8));
    PutChannelMessage(out, 0, DWORD(0xC0 | ch) | (word & 0xFF) << 8);
  }
}

// What a device reset does: All Notes Off and Sustain off on every channel.
void PutReset(TrackOutput& out, DWORD time) {
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
    PutControlChange(out, time, ch, 0x7B, 0);
    PutControlChange(out, time, ch, 0x40, 0);
  }
}

// A long message that begins with F0 is an F0 event; any other goes whole into an F7
// (escape) event, except a leading F7, which is the event's own status.
void PutLongMessage(TrackOutput& out, DWORD time, const Take* take, DWORD header, DWORD length) {
  const BYTE first =
      length ? reinterpret_cast<const BYTE*>(CapturedSlotAt(take, header + 1))[0] : 0;
  const BYTE status = first == 0xF0 ? 0xF0 : 0xF7;
  const DWORD skip = first == 0xF0 || first == 0xF7 ? 1 : 0;
  PutDelta(out, time);
  PutBytes(out, &status, 1);
  Commit(out, WriteVarLen(Reserve(out, 5), length - skip));
  for (DWORD offset = skip; offset < length;) {
    const DWORD index = header + 1 + offset / CAPTURED_BYTES_PER_SLOT;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(CapturedSlotAt(take, index));
    const DWORD within = offset % CAPTURED_BYTES_PER_SLOT;
    DWORD count = CAPTURED_BYTES_PER_SLOT - within;
    if (count > length - offset) count = length - offset;
    PutBytes(out, bytes + within, count);
    offset += count;
  }
}

// Writes the slot's message when it belongs in the file; returns the slots it takes, 0 for
// a slot still being filled while the take runs.
DWORD PutCaptured(TrackOutput& out, const Take* take, DWORD index, BOOL whole) {
  const CapturedSlot* slot = CapturedSlotAt(take, index);
  if (!slot) return whole ? CAPTURE_BLOCK_SLOTS - index % CAPTURE_BLOCK_SLOTS : 0;  // no block
  const DWORD word = CapturedWord(slot);
  if (!word && !whole) return 0;
  const DWORD kind = word & CAPTURED_KIND_MASK, value = word & ~CAPTURED_KIND_MASK;
  const BYTE status = BYTE(value);
  DWORD slots = 1;
  if (kind == CAPTURED_SHORT && status >= 0x80 && status < 0xF0) {
    PutChannelMessage(out, slot->time, value);
  } else if (kind == CAPTURED_RESET) {
    PutReset(out, slot->time);
  } else if (kind == CAPTURED_LONG) {
    PutLongMessage(out, slot->time, take, index, value);
    slots += (value + CAPTURED_BYTES_PER_SLOT - 1) / CAPTURED_BYTES_PER_SLOT;
  } else {
    return 1;
  }
  out.messageCount++;
  return slots;
}

void PutOpening(TrackOutput& out, const Take* take) {
  BYTE tempo[LONGEST_EVENT];
  PutDelta(out, 0);
  PutBytes(out, tempo, WriteTempoEvent(tempo, DEFAULT_TEMPO_MICROS));
  PutInstruments(out, take);
  out.messageCount = 0;
}

void PutSlots(TrackOutput& out, const Take* take, BOOL whole) {
  const DWORD count = CapturedSlotCount(take);
  while (out.nextSlot < count) {
    const DWORD slots = PutCaptured(out, take, out.nextSlot, whole);
    if (!slots) return;
    out.nextSlot += slots;
  }
}

void PutEnd(TrackOutput& out) {
  PutDelta(out, out.lastTime);
  BYTE end[LONGEST_EVENT];
  PutBytes(out, end, WriteEndOfTrack(end));
}

TakeStream fileStream;  // the UI thread's, for whole files

}  // namespace

DWORD CountTakeMessages(const Take* take) {
  TrackOutput measure;
  OpenStream(measure, INVALID_HANDLE_VALUE);
  PutOpening(measure, take);
  PutSlots(measure, take, TRUE);
  return measure.messageCount;
}

BOOL BeginTakeStream(TakeStream* stream, HANDLE file, const Take* take) {
  TrackOutput& out = *stream;
  OpenStream(out, file);
  Commit(out, WriteSmfHeader(Reserve(out, 14), 0, 1, TAKE_DIVISION));
  Commit(out, WriteChunkHeader(Reserve(out, 8), "MTrk", 0));
  out.length = 0;  // the track's length counts its events only
  PutOpening(out, take);
  return !out.failed;
}

BOOL ContinueTakeStream(TakeStream* stream, const Take* take, BOOL whole) {
  PutSlots(*stream, take, whole);
  Flush(*stream);
  return !stream->failed;
}

BOOL EndTakeStream(TakeStream* stream) {
  PutEnd(*stream);
  Flush(*stream);
  if (!stream->failed && !WriteTakeTrackLength(stream->file, stream->length)) {
    stream->failed = TRUE;
    stream->error = LastError();
  }
  return !stream->failed;
}

// The length field is big-endian, as every number in the file.
BOOL WriteTakeTrackLength(HANDLE file, DWORD length) {
  const BYTE bytes[] = {BYTE(length >> 24), BYTE(length >> 16), BYTE(length >> 8), BYTE(length)};
  return SetFilePointer(file, TAKE_TRACK_LENGTH_OFFSET, nullptr, FILE_BEGIN) !=
             INVALID_SET_FILE_POINTER &&
         WriteAll(file, bytes, sizeof bytes) &&
         SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER;
}

// A failed write leaves its error for GetLastError: nothing is called after it.
BOOL WriteTakeFile(HANDLE file, const Take* take) {
  return BeginTakeStream(&fileStream, file, take) && ContinueTakeStream(&fileStream, take, TRUE) &&
         EndTakeStream(&fileStream);
}
