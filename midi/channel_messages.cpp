#include "midi/channel_messages.h"

#include "common/redraw_queue.h"
#include "common/shared_word.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"

namespace {

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

// Changes the channel record as the message says; returns the redraw it needs.
DWORD ApplyChannelMessage(BYTE status, BYTE data1, BYTE data2) {
  const int channel = status & 0x0F;
  DWORD redraw = 0;
  switch (status & 0xF0) {
    case 0x80:
      ChangeHeldCount(channel, data1, false);
      redraw = REDRAW_KEY;
      break;
    case 0x90:
      ChangeHeldCount(channel, data1, data2 > 0);
      redraw = REDRAW_KEY;
      break;
    case 0xB0:
      if (data1 == 0 || data1 == 32) {
        WriteInstrumentByte(channel, data1 == 0 ? 2 : 1, data2);
        redraw = REDRAW_HEADER;
      }
      break;
    case 0xC0:
      WriteInstrumentByte(channel, 0, data1);
      redraw = REDRAW_HEADER;
      break;
    default: break;
  }
  return redraw;
}

void PushMessageRedraw(DWORD redraw, int channel, BYTE data1) {
  if (redraw == REDRAW_KEY) PushRedraw(REDRAW_KEY, channel, data1, 0);
  if (redraw == REDRAW_HEADER) PushRedraw(REDRAW_HEADER, channel, 0, 0);
}

}  // namespace

void SendChannelMessage(BYTE status, BYTE data1, BYTE data2) {
  const DWORD redraw = ApplyChannelMessage(status, data1, data2);
  SendShortMessage(status, data1, data2);
  PushMessageRedraw(redraw, status & 0x0F, data1);
}

void MirrorChannelMessage(BYTE status, BYTE data1, BYTE data2) {
  PushMessageRedraw(ApplyChannelMessage(status, data1, data2), status & 0x0F, data1);
}
