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

// Around a modal menu, which takes the key-ups of keys released while it is open: first
// note which note keys are down, then afterwards release the sustain (Shift up) and the
// notes of the keys that came up meanwhile, as their key-ups would have.
void RememberHeldNoteKeys();
void CatchUpReleasedKeys();
