#include "song/song_dispatch.h"

#include <mmsystem.h>

#include <cstring>
#include <new>

#include "display/redraw_queue.h"
#include "midi/channel_state.h"
#include "midi/shared_word.h"
#include "song/song_state.h"
#include "song/track_reader.h"

namespace {

// The event's bytes after the status go out as a long message behind the status byte.
// A length cut short by the end of the track (the reader delivers what the track holds)
// sends only the bytes that are there.
void SendSystemExclusive(const BYTE* event, DWORD length) {
  DWORD used;
  DWORD dataLength = DecodeVarLen(event + 1, length - 1, &used);
  if (used == 0) return;
  if (dataLength > length - 1 - used) dataLength = length - 1 - used;
  BYTE* block = new (std::nothrow) BYTE[dataLength + 1];
  if (!block) return;
  block[0] = event[0];
  std::memcpy(block + 1, event + 1 + used, dataLength);
  MIDIHDR header = {};
  header.lpData = reinterpret_cast<LPSTR>(block);
  header.dwBufferLength = dataLength + 1;
  midiOutPrepareHeader(midiOutput, &header, sizeof header);
  midiOutLongMsg(midiOutput, &header, sizeof header);
  // NOTE: a device that plays the buffer in the background refuses to unprepare until it
  // is done; the block must outlive that.
  while (midiOutUnprepareHeader(midiOutput, &header, sizeof header) == MIDIERR_STILLPLAYING) {
    Sleep(1);
  }
  delete[] block;
}

void ApplyTempo(const BYTE* event, DWORD length) {
  if (length < 6 || event[1] != 0x51 || event[2] != 0x03) return;
  const DWORD micros = DWORD(event[3]) << 16 | DWORD(event[4]) << 8 | event[5];
  songState.tempoMicros = micros > 0 ? micros : 1;
}

// Notes above 127 lie outside the counts and change none.
void ChangeHeldCount(int channel, DWORD note, bool noteOn) {
  if (note >= NOTE_COUNT) return;
  DWORD* count = &ChannelTable[channel].heldCount[note];
  if (noteOn) {
    IncrementSharedWord(count);
  } else {
    DecrementSharedWordIfPositive(count);
  }
}

// Mirrors the message into the channel record, sends it, then announces the change.
void SendChannelMessage(const BYTE* event, DWORD length) {
  const BYTE status = event[0];
  // Bytes beyond the message are not part of it; they go out as zero.
  const BYTE note = length > 1 ? event[1] : 0;
  const BYTE value = length > 2 ? event[2] : 0;
  const DWORD message = DWORD(status) | DWORD(note) << 8 | DWORD(value) << 16;
  const int channel = status & 0x0F;
  DWORD redraw = 0;
  switch (status & 0xF0) {
    case 0x80:
      ChangeHeldCount(channel, note, false);
      redraw = REDRAW_KEY;
      break;
    case 0x90:
      ChangeHeldCount(channel, note, value > 0);
      redraw = REDRAW_KEY;
      break;
    case 0xB0:
      if (note == 0 || note == 32) {
        WriteInstrumentByte(channel, note == 0 ? 2 : 1, value);
        redraw = REDRAW_HEADER;
      }
      break;
    case 0xC0:
      WriteInstrumentByte(channel, 0, note);
      redraw = REDRAW_HEADER;
      break;
    default: break;
  }
  midiOutShortMsg(midiOutput, message);
  if (redraw == REDRAW_KEY) PushRedraw(REDRAW_KEY, channel, note, 0);
  if (redraw == REDRAW_HEADER) PushRedraw(REDRAW_HEADER, channel, 0, 0);
}

}  // namespace

void DispatchSongEvent(const BYTE* event, DWORD length) {
  if (length == 0) return;
  switch (event[0]) {
    case 0xF0:
    case 0xF7: return SendSystemExclusive(event, length);
    case 0xFF: return ApplyTempo(event, length);
    default: return SendChannelMessage(event, length);
  }
}
