// The computer keyboard as an instrument: note keys, the sustain pedal, transposition,
// channel choice and the command keys, for the main window's key messages.
#pragma once

#include <windows.h>

struct NoteKey {
  WORD virtualKey;
  int offset;
};

#define NOTE_KEY_COUNT 19
extern const NoteKey NoteKeyTable[NOTE_KEY_COUNT];

// Returns the offset of a note key, or -1 for any other key.
int FindNoteKeyOffset(WORD virtualKey);

LRESULT OnKeyDown(WPARAM virtualKey, LPARAM keyData);
LRESULT OnKeyUp(WPARAM virtualKey);
