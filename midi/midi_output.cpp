#include "midi/midi_output.h"

HMIDIOUT midiOutput = nullptr;

void OpenMidiOutput() { midiOutOpen(&midiOutput, MIDI_MAPPER, 0, 0, CALLBACK_NULL); }

void CloseMidiOutput() {
  midiOutClose(midiOutput);
  midiOutput = nullptr;
}

void ReopenMidiOutput() {
  CloseMidiOutput();
  OpenMidiOutput();
}

void SendShortMessage(BYTE status, BYTE data1, BYTE data2) {
  midiOutShortMsg(midiOutput, DWORD(status) | DWORD(data1) << 8 | DWORD(data2) << 16);
}

void SendLongMessage(BYTE* bytes, DWORD length) {
  MIDIHDR header = {};
  header.lpData = reinterpret_cast<LPSTR>(bytes);
  header.dwBufferLength = length;
  midiOutPrepareHeader(midiOutput, &header, sizeof header);
  midiOutLongMsg(midiOutput, &header, sizeof header);
  // NOTE: a device that plays the buffer in the background refuses to unprepare until it
  // is done; the bytes must outlive that.
  while (midiOutUnprepareHeader(midiOutput, &header, sizeof header) == MIDIERR_STILLPLAYING) {
    Sleep(1);
  }
}

void ResetMidiOutput() { midiOutReset(midiOutput); }
