#include "midi/channel_mute.h"

#include "common/redraw_queue.h"
#include "common/shared_word.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"

namespace {

// Bit c for channel c; written on the UI thread, read by the playback thread.
DWORD mutedChannels = 0;
DWORD soloedChannels = 0;

bool Silenced(DWORD muted, DWORD soloed, int ch) {
  const DWORD bit = 1u << ch;
  return (muted & bit) || (soloed && !(soloed & bit));
}

// What sounds on a channel that falls silent is stopped; the counts (and so the lit keys)
// stay, and the song's later note-offs on it are kept back like its note-ons.
void ChangeSilence(DWORD muted, DWORD soloed) {
  const DWORD wasMuted = ReadSharedWord(&mutedChannels);
  const DWORD wasSoloed = ReadSharedWord(&soloedChannels);
  InterlockedExchange(SharedWord(&mutedChannels), static_cast<LONG>(muted));
  InterlockedExchange(SharedWord(&soloedChannels), static_cast<LONG>(soloed));
  for (int ch = 0; ch < 16; ch++) {
    const bool before = Silenced(wasMuted, wasSoloed, ch);
    const bool after = Silenced(muted, soloed, ch);
    if (!before && after) {
      for (int note = 0; note < NOTE_COUNT; note++) {
        for (DWORD held = ReadHeldCount(ch, note); held > 0; held--) {
          SendShortMessage(BYTE(0x80 | ch), BYTE(note), 0x7F);
        }
      }
    }
    if (before != after) PushRedraw(REDRAW_HEADER, ch, 0, 0);
  }
}

DWORD WithBit(DWORD bits, int ch, BOOL on) { return on ? bits | 1u << ch : bits & ~(1u << ch); }

}  // namespace

BOOL ChannelSilenced(int ch) {
  return Silenced(ReadSharedWord(&mutedChannels), ReadSharedWord(&soloedChannels), ch);
}

BOOL ChannelMuted(int ch) { return (ReadSharedWord(&mutedChannels) >> ch) & 1; }

BOOL ChannelSoloed(int ch) { return (ReadSharedWord(&soloedChannels) >> ch) & 1; }

void SetChannelMuted(int ch, BOOL muted) {
  ChangeSilence(WithBit(ReadSharedWord(&mutedChannels), ch, muted),
                ReadSharedWord(&soloedChannels));
}

void SetChannelSoloed(int ch, BOOL soloed) {
  ChangeSilence(ReadSharedWord(&mutedChannels),
                WithBit(ReadSharedWord(&soloedChannels), ch, soloed));
}

void UnmuteAllChannels() { ChangeSilence(0, 0); }
