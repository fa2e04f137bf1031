// The sixteen channel records, the current channel and the sustain flag: where live play
// turns into MIDI messages and redraw commands.
#pragma once

#include <windows.h>

#define CHANNEL_COUNT 16
#define NOTE_COUNT 128

struct ChannelState {
  LONG baseKey;  // kept in 0..127
  // program, bankLSB, bankMSB and a zero byte form the little-endian instrument word.
  union {
    struct {
      BYTE program;
      BYTE bankLSB;
      BYTE bankMSB;
      BYTE spare;
    };
    DWORD instrument;
  };
  DWORD heldCount[NOTE_COUNT];       // note-ons not yet matched by a note-off
  DWORD sustainedCount[NOTE_COUNT];  // note-offs deferred while sustainActive
};

extern ChannelState ChannelTable[CHANNEL_COUNT];
extern LONG currentChannel;
extern LONG sustainActive;

void ResetChannelDefaults();

void SendKeyNote(BOOL isDown, int ch, int note);
void SendInstrument(int ch, DWORD word);
void SetBaseKey(int ch, int key);
void SelectChannel(int ch);
void ReleaseSustained();
void ReleaseChannelNotes(int ch);
void ReleaseAllNotes();
void ResetAllChannels();

// The instrument word and held counts as the other thread may be writing them.
DWORD ReadInstrument(int ch);
void WriteInstrumentByte(int ch, int byteIndex, BYTE value);
DWORD ReadHeldCount(int ch, int note);
// currentChannel is changed on the UI thread only, but MIDI input in follow mode reads it
// too, so every access is atomic.
LONG ReadCurrentChannel();
