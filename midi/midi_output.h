// The MIDI output: every message the program sends, from live play, songs and resets,
// goes out through these calls.
#pragma once

#include <windows.h>
#include <mmsystem.h>

// Null while no device is open; read and written atomically, since the input threads
// send on it while the UI thread reopens it.
extern HMIDIOUT midiOutput;

void OpenMidiOutput();
void CloseMidiOutput();
// Closes the device and opens it again, leaving it in its power-on state.
void ReopenMidiOutput();
// A message of up to three bytes; a message of fewer bytes has zeros for the missing ones.
void SendShortMessage(BYTE status, BYTE data1, BYTE data2);
// Sends `length` bytes as one long message and returns once the device is done with them.
void SendLongMessage(BYTE* bytes, DWORD length);
// Note-off for every sounding note and sustain off on every channel.
void ResetMidiOutput();
