#include "midi/midi_output.h"

#include "midi/take_capture.h"

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

// Every message is also kept in a running take, whether the device takes it or not.
void SendShortMessage(BYTE status, BYTE data1, BYTE data2) {
  const DWORD message = DWORD(status) | DWORD(data1) << 8 | DWORD(data2) << 16;
  CaptureShortMessage(message);
  midiOutShortMsg(midiOutput, message);
}

void SendLongMessage(BYTE* bytes, DWORD length) {
  CaptureLongMessage(bytes, length);
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

void ResetMidiOutput() {
  CaptureReset();
  midiOutReset(midiOutput);
}
