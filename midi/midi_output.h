// The MIDI output: every message the program sends, from live play, songs and resets,
// goes out through these calls.
#pragma once

#include <windows.h>
#include <mmsystem.h>

// Null while no device is open; read and written atomically, since the input threads
// send on it while the UI thread reopens it.
extern HMIDIOUT midiOutput;

// The output chosen by name in the menu; empty: the MIDI Mapper. A chosen device that is
// no longer listed is reported once, forgotten, and the MIDI Mapper opens instead.
extern char chosenOutputName[MAXPNAMELEN];

// Opens the chosen output (F1 and a switch open it again).
void OpenMidiOutput();
// Releases every sounding note, closes the device and opens the one named (empty: the
// MIDI Mapper), which becomes the chosen one.
void SwitchMidiOutput(LPCSTR name);
// The listed output of that name, or OUTPUT_NOT_LISTED.
#define OUTPUT_NOT_LISTED 0xFFFFFFFEu
UINT FindMidiOutput(LPCSTR name);
// Why the output could not start, as its stderr line said (without the program's name);
// FALSE while one is open.
BOOL DescribeOutputProblem(char* text, DWORD size);
void CloseMidiOutput();
// Closes the device and opens it again, leaving it in its power-on state.
void ReopenMidiOutput();
// A message of up to three bytes; a message of fewer bytes has zeros for the missing ones.
void SendShortMessage(BYTE status, BYTE data1, BYTE data2);
// Sends `length` bytes as one long message and returns once the device is done with them.
void SendLongMessage(BYTE* bytes, DWORD length);
// Note-off for every sounding note and sustain off on every channel.
void ResetMidiOutput();
