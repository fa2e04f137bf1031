#include "midi/midi_output.h"

#include "midi/take_capture.h"

HMIDIOUT midiOutput = nullptr;

namespace {

// The input threads send while the UI thread closes and reopens the output (F1), so the
// handle is read and replaced atomically.
PVOID volatile* OutputSlot() { return reinterpret_cast<PVOID volatile*>(&midiOutput); }

HMIDIOUT CurrentOutput() {
  return static_cast<HMIDIOUT>(InterlockedCompareExchangePointer(OutputSlot(), nullptr, nullptr));
}

}  // namespace

void OpenMidiOutput() {
  HMIDIOUT opened = nullptr;
  midiOutOpen(&opened, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
  InterlockedExchangePointer(OutputSlot(), opened);
}

void CloseMidiOutput() {
  midiOutClose(static_cast<HMIDIOUT>(InterlockedExchangePointer(OutputSlot(), nullptr)));
}

void ReopenMidiOutput() {
  CloseMidiOutput();
  OpenMidiOutput();
}

// Every message is also kept in a running take, whether the device takes it or not.
void SendShortMessage(BYTE status, BYTE data1, BYTE data2) {
  const DWORD message = DWORD(status) | DWORD(data1) << 8 | DWORD(data2) << 16;
  CaptureShortMessage(message);
  midiOutShortMsg(CurrentOutput(), message);
}

void SendLongMessage(BYTE* bytes, DWORD length) {
  CaptureLongMessage(bytes, length);
  const HMIDIOUT output = CurrentOutput();
  MIDIHDR header = {};
  header.lpData = reinterpret_cast<LPSTR>(bytes);
  header.dwBufferLength = length;
  midiOutPrepareHeader(output, &header, sizeof header);
  midiOutLongMsg(output, &header, sizeof header);
  // NOTE: a device that plays the buffer in the background refuses to unprepare until it
  // is done; the bytes must outlive that.
  while (midiOutUnprepareHeader(output, &header, sizeof header) == MIDIERR_STILLPLAYING) {
    Sleep(1);
  }
}

void ResetMidiOutput() {
  CaptureReset();
  midiOutReset(CurrentOutput());
}
