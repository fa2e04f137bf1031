// MIDI input: every input device that the system lists plays through the output and
// lights the strips, each message taking the same path as a song's.
#pragma once

#include <windows.h>

#define MIDI_INPUT_MAX 16

// Opens and starts every listed input; each runs until CloseMidiInputs. Input arriving on
// the inputs' own threads changes the channel records, goes to the MIDI output and queues
// redraws. PLINKARO_MIDI_IN_CHANNEL=current plays it on the current channel.
void OpenMidiInputs();
// Stops and closes them; no input callback runs once it returns.
void CloseMidiInputs();
