#include "midi/midi_input.h"

#include <mmsystem.h>

#include <cstring>

#include "common/problem_log.h"
#include "midi/channel_messages.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"

namespace {

// System-exclusive input arrives in these buffers; a longer message comes in pieces, each
// sent on as it arrives.
#define SYSEX_BUFFER_COUNT 2
#define SYSEX_BUFFER_SIZE 4096

struct MidiInput {
  HMIDIIN handle;
  MIDIHDR sysexHeaders[SYSEX_BUFFER_COUNT];
  BYTE sysexBytes[SYSEX_BUFFER_COUNT][SYSEX_BUFFER_SIZE];
};

MidiInput midiInputs[MIDI_INPUT_MAX];
UINT midiInputCount = 0;
// Set while the inputs close: the buffers they hand back are not queued again.
LONG inputsClosing = 0;
// Written before any input opens; then only read.
BOOL followCurrentChannel = FALSE;

BOOL ReadFollowSetting() {
  char value[16];
  const DWORD length = GetEnvironmentVariableA("PLINKARO_MIDI_IN_CHANNEL", value, sizeof value);
  if (length == 0) return FALSE;
  if (length < sizeof value && std::strcmp(value, "current") == 0) return TRUE;
  if (length < sizeof value && std::strcmp(value, "keep") == 0) return FALSE;
  ReportProblem(
      "PLINKARO_MIDI_IN_CHANNEL is neither current nor keep; MIDI input keeps its "
      "channels");
  return FALSE;
}

// Clock and active sensing are for the cable between two instruments, not for the output.
void ReceiveShortMessage(DWORD message) {
  BYTE status = LOBYTE(message);
  if (status < 0x80 || status == 0xF8 || status == 0xFE) return;
  if (status < 0xF0 && followCurrentChannel) {
    status = static_cast<BYTE>((status & 0xF0) | ReadCurrentChannel());
  }
  SendChannelMessage(status, LOBYTE(message >> 8), LOBYTE(message >> 16));
}

void ReceiveSystemExclusive(HMIDIIN handle, MIDIHDR* header) {
  if (header->dwBytesRecorded > 0) {
    SendLongMessage(reinterpret_cast<BYTE*>(header->lpData), header->dwBytesRecorded);
  }
  if (!InterlockedCompareExchange(&inputsClosing, 0, 0)) {
    midiInAddBuffer(handle, header, sizeof *header);
  }
}

// Runs on the input's own thread, as the driver calls it.
void CALLBACK MidiInputProc(HMIDIIN handle, UINT message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR) {
  if (message == MIM_DATA) ReceiveShortMessage(static_cast<DWORD>(param1));
  if (message == MIM_LONGDATA) ReceiveSystemExclusive(handle, reinterpret_cast<MIDIHDR*>(param1));
}

BOOL OpenMidiInput(UINT id, MidiInput& input) {
  if (midiInOpen(&input.handle, id, reinterpret_cast<DWORD_PTR>(MidiInputProc), 0,
                 CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    return FALSE;
  }
  for (int i = 0; i < SYSEX_BUFFER_COUNT; i++) {
    MIDIHDR& header = input.sysexHeaders[i];
    std::memset(&header, 0, sizeof header);
    header.lpData = reinterpret_cast<LPSTR>(input.sysexBytes[i]);
    header.dwBufferLength = SYSEX_BUFFER_SIZE;
    midiInPrepareHeader(input.handle, &header, sizeof header);
    midiInAddBuffer(input.handle, &header, sizeof header);
  }
  midiInStart(input.handle);
  return TRUE;
}

}  // namespace

void OpenMidiInputs() {
  followCurrentChannel = ReadFollowSetting();
  InterlockedExchange(&inputsClosing, 0);
  midiInputCount = 0;
  const UINT count = midiInGetNumDevs();
  for (UINT id = 0; id < count && midiInputCount < MIDI_INPUT_MAX; id++) {
    if (OpenMidiInput(id, midiInputs[midiInputCount])) midiInputCount++;
  }
}

void CloseMidiInputs() {
  InterlockedExchange(&inputsClosing, 1);
  for (UINT i = 0; i < midiInputCount; i++) {
    MidiInput& input = midiInputs[i];
    // Stops the input and hands back every buffer.
    midiInReset(input.handle);
    for (MIDIHDR& header : input.sysexHeaders) {
      midiInUnprepareHeader(input.handle, &header, sizeof header);
    }
    midiInClose(input.handle);
    input.handle = nullptr;
  }
  midiInputCount = 0;
}
