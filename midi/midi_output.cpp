#include "midi/midi_output.h"

#include <cstring>

#include "common/problem_log.h"
#include "midi/channel_state.h"
#include "midi/take_capture.h"

HMIDIOUT midiOutput = nullptr;
char chosenOutputName[MAXPNAMELEN] = "";

namespace {

// The input threads send while the UI thread closes and reopens the output (F1), so the
// handle is read and replaced atomically.
PVOID volatile* OutputSlot() { return reinterpret_cast<PVOID volatile*>(&midiOutput); }

HMIDIOUT CurrentOutput() {
  return static_cast<HMIDIOUT>(InterlockedCompareExchangePointer(OutputSlot(), nullptr, nullptr));
}

// The id the chosen output had when last found: F1 opens it again without listing anew.
UINT chosenOutputId = OUTPUT_NOT_LISTED;
// The problem lines kept before the last open: its failure is explained by the next one.
DWORD linesBeforeOpen = 0;

BOOL OutputNamed(UINT id, LPCSTR name) {
  MIDIOUTCAPSA caps;
  return midiOutGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR &&
         std::strcmp(caps.szPname, name) == 0;
}

UINT ChosenOutputId() {
  if (!chosenOutputName[0]) return MIDI_MAPPER;
  if (chosenOutputId != OUTPUT_NOT_LISTED && OutputNamed(chosenOutputId, chosenOutputName)) {
    return chosenOutputId;
  }
  chosenOutputId = FindMidiOutput(chosenOutputName);
  if (chosenOutputId != OUTPUT_NOT_LISTED) return chosenOutputId;
  char text[MAXPNAMELEN + 64];
  wsprintfA(text, "the MIDI output %s is not there; using the default", chosenOutputName);
  ReportProblem(text);
  chosenOutputName[0] = '\0';
  return MIDI_MAPPER;
}

}  // namespace

UINT FindMidiOutput(LPCSTR name) {
  const UINT count = midiOutGetNumDevs();
  for (UINT id = 0; id < count; id++) {
    if (OutputNamed(id, name)) return id;
  }
  return OUTPUT_NOT_LISTED;
}

void OpenMidiOutput() {
  const UINT id = ChosenOutputId();
  HMIDIOUT opened = nullptr;
  linesBeforeOpen = ProblemLinesKept();
  const MMRESULT result = midiOutOpen(&opened, id, 0, 0, CALLBACK_NULL);
#ifdef _WIN32
  // Windows' drivers write no reason anywhere: the program gives one.
  if (result != MMSYSERR_NOERROR) {
    char text[80];
    wsprintfA(text, "the MIDI output could not be opened (error %u)", result);
    ReportProblem(text);
  }
#else
  (void)result;
#endif
  InterlockedExchangePointer(OutputSlot(), opened);
}

void SwitchMidiOutput(LPCSTR name) {
  ReleaseAllNotes();
  lstrcpynA(chosenOutputName, name, MAXPNAMELEN);
  chosenOutputId = OUTPUT_NOT_LISTED;
  ReopenMidiOutput();
  // The new device starts at its power-on state: the channels' instruments go to it.
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) SendInstrument(ch, ReadInstrument(ch));
}

BOOL DescribeOutputProblem(char* text, DWORD size) {
  if (CurrentOutput()) return FALSE;
  if (!CopyProblemLineSince(linesBeforeOpen, text, size)) {
    lstrcpynA(text, "the MIDI output could not be opened", static_cast<int>(size));
  }
  return TRUE;
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
