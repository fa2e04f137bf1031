#include "song/song_dispatch.h"

#include <cstring>
#include <new>

#include "midi/channel_messages.h"
#include "midi/channel_mute.h"
#include "midi/midi_output.h"
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
  SendLongMessage(block, dataLength + 1);
  delete[] block;
}

void ApplyTempo(const BYTE* event, DWORD length) {
  if (length < 6 || event[1] != 0x51 || event[2] != 0x03) return;
  const DWORD micros = DWORD(event[3]) << 16 | DWORD(event[4]) << 8 | event[5];
  songState.tempoMicros = micros > 0 ? micros : 1;
}

// A silenced channel's notes are counted and drawn but not sent. A channel silenced while
// its note-on went out gets that note's note-off here, whichever thread came first.
void SendSongChannelMessage(BYTE status, BYTE data1, BYTE data2) {
  const bool note = (status & 0xE0) == 0x80;
  const int channel = status & 0x0F;
  if (note && ChannelSilenced(channel)) return MirrorChannelMessage(status, data1, data2);
  SendChannelMessage(status, data1, data2);
  if (note && (status & 0xF0) == 0x90 && data2 > 0 && ChannelSilenced(channel)) {
    SendShortMessage(BYTE(0x80 | channel), data1, 0x7F);
  }
}

}  // namespace

void DispatchSongEvent(const BYTE* event, DWORD length) {
  if (length == 0) return;
  switch (event[0]) {
    case 0xF0:
    case 0xF7: return SendSystemExclusive(event, length);
    case 0xFF: return ApplyTempo(event, length);
    // Bytes beyond the message are not part of it; they go out as zero.
    default:
      return SendSongChannelMessage(event[0], length > 1 ? event[1] : 0, length > 2 ? event[2] : 0);
  }
}
