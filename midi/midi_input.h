// MIDI input: every input device that the system lists plays through the output and
// lights the strips, each message taking the same path as a song's.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#define MIDI_INPUT_MAX 16
// What chosenInputName holds for no input at all; empty is every input.
#define NO_MIDI_INPUT "(none)"

// The input chosen by name in the menu: empty for every listed input, NO_MIDI_INPUT for
// none. A chosen one that is no longer listed is reported once, forgotten, and every input
// opens instead.
extern char chosenInputName[MAXPNAMELEN];
// Input plays on the current channel instead of its own (read by the input threads).
extern LONG followCurrentChannel;

// PLINKARO_MIDI_IN_CHANNEL sets followCurrentChannel; FALSE when it is not set.
BOOL ReadInputChannelVariable();

// Opens and starts the chosen inputs; each runs until CloseMidiInputs. Input arriving on
// the inputs' own threads changes the channel records, goes to the MIDI output and queues
// redraws.
void OpenMidiInputs();
// Closes the open inputs and opens the one named (see chosenInputName).
void SwitchMidiInputs(LPCSTR name);
// Stops and closes them; no input callback runs once it returns.
void CloseMidiInputs();
