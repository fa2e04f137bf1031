// Reference-counted live notes: note-on per key-down, note-off per matched release,
// with note-offs deferred while the sustain pedal (Shift) is down.
#include "common/redraw_queue.h"
#include "common/shared_word.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"

namespace {

const int NOTE_VELOCITY = 0x7F;

void SendNoteMessage(int status, int ch, int note) {
  SendShortMessage(status | ch, note, NOTE_VELOCITY);
}

// The key-up path: defer while sustain is on, otherwise release one hold.
void ReleaseKeyNote(int ch, int note) {
  ChannelState& state = ChannelTable[ch];
  if (sustainActive) {
    state.sustainedCount[note]++;
    PushRedraw(REDRAW_KEY, ch, note, 0);
    return;
  }
  if (state.sustainedCount[note] > 0) state.sustainedCount[note]--;
  if (DecrementSharedWordIfPositive(&state.heldCount[note])) SendNoteMessage(0x80, ch, note);
  PushRedraw(REDRAW_KEY, ch, note, 0);
}

void SilenceHeldNotes(int ch) {
  for (int note = 0; note < NOTE_COUNT; note++) {
    while (ReadHeldCount(ch, note) > 0) ReleaseKeyNote(ch, note);
  }
}

}  // namespace

void SendKeyNote(BOOL isDown, int ch, int note) {
  // The key map can reach past the top of the MIDI range; such keys play nothing.
  if (note < 0 || note >= NOTE_COUNT) return;
  if (!isDown) {
    ReleaseKeyNote(ch, note);
    return;
  }
  IncrementSharedWord(&ChannelTable[ch].heldCount[note]);
  SendNoteMessage(0x90, ch, note);
  PushRedraw(REDRAW_KEY, ch, note, 0);
}

void ReleaseSustained() {
  if (!sustainActive) return;
  sustainActive = 0;
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
    for (int note = 0; note < NOTE_COUNT; note++) {
      while (ChannelTable[ch].sustainedCount[note] > 0) ReleaseKeyNote(ch, note);
    }
  }
}

void ReleaseChannelNotes(int ch) {
  ReleaseSustained();
  SilenceHeldNotes(ch);
}

void ReleaseAllNotes() {
  ReleaseSustained();
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) SilenceHeldNotes(ch);
  ResetMidiOutput();
}

void ResetAllChannels() {
  ReleaseAllNotes();
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) {
    SendInstrument(ch, 0);
    PushRedraw(REDRAW_ROW, ch, 0, 0);
  }
}
