#include "midi/channel_state.h"

#include "common/redraw_queue.h"
#include "common/shared_word.h"
#include "midi/midi_output.h"

ChannelState ChannelTable[CHANNEL_COUNT];
LONG currentChannel = 0;
LONG sustainActive = 0;

void ResetChannelDefaults() {
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
    ChannelTable[ch].baseKey = 60;
    InterlockedExchange(SharedWord(&ChannelTable[ch].instrument), 0);
  }
  InterlockedExchange(&currentChannel, 0);
}

LONG ReadCurrentChannel() { return InterlockedCompareExchange(&currentChannel, 0, 0); }

DWORD ReadInstrument(int ch) { return ReadSharedWord(&ChannelTable[ch].instrument); }

void WriteInstrumentByte(int ch, int byteIndex, BYTE value) {
  DWORD* word = &ChannelTable[ch].instrument;
  const int shift = 8 * byteIndex;
  LONG seen = static_cast<LONG>(ReadSharedWord(word));
  for (;;) {
    const DWORD next = (static_cast<DWORD>(seen) & ~(0xFFu << shift)) | (DWORD(value) << shift);
    const LONG before = InterlockedCompareExchange(SharedWord(word), static_cast<LONG>(next), seen);
    if (before == seen) return;
    seen = before;
  }
}

DWORD ReadHeldCount(int ch, int note) { return ReadSharedWord(&ChannelTable[ch].heldCount[note]); }

void SendInstrument(int ch, DWORD word) {
  InterlockedExchange(SharedWord(&ChannelTable[ch].instrument), static_cast<LONG>(word));
  const int bankMSB = (word >> 16) & 0xFF;
  const int bankLSB = (word >> 8) & 0xFF;
  const int program = word & 0xFF;
  SendShortMessage(0xB0 | ch, 0x00, bankMSB);
  SendShortMessage(0xB0 | ch, 0x20, bankLSB);
  SendShortMessage(0xC0 | ch, program, 0);
  PushRedraw(REDRAW_HEADER, ch, 0, 0);
}

void SetBaseKey(int ch, int key) {
  ChannelTable[ch].baseKey = key & 0x7F;
  PushRedraw(REDRAW_ROW, ch, 0, 0);
}

void SelectChannel(int ch) {
  const LONG old = InterlockedExchange(&currentChannel, ch);
  if (old != ch) {
    PushRedraw(REDRAW_ROW, old, 0, 0);
    PushRedraw(REDRAW_ROW, ch, 0, 0);
  }
}
