#include "app/device_menu.h"

#include <mmsystem.h>

#include <cstring>

#include "app/remembered_choices.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"

namespace {

#define DEFAULT_OUTPUT_TEXT "Default (MIDI Mapper)"
#define ALL_INPUTS_TEXT "All MIDI inputs"

// The lists as the menu showed them: its ids index them until the next time it opens.
UINT listedOutputs = 0;
UINT listedInputs = 0;

// Device names come from drivers and ports: a '&' in one shows as itself.
void AppendDevice(HMENU menu, UINT command, LPCSTR name, UINT flags) {
  char text[2 * MAXPNAMELEN];
  char* out = text;
  for (LPCSTR in = name; *in; in++) {
    if (*in == '&') *out++ = '&';
    *out++ = *in;
  }
  *out = '\0';
  AppendMenuA(menu, MF_STRING | flags, command, text);
}

UINT Checked(BOOL checked) { return checked ? MF_CHECKED : 0; }

}  // namespace

void FillOutputDevices(HMENU menu) {
  AppendDevice(menu, MENU_OUTPUT_FIRST, DEFAULT_OUTPUT_TEXT, Checked(!chosenOutputName[0]));
  const UINT count = midiOutGetNumDevs();
  listedOutputs = count < DEVICE_MENU_MAX ? count : DEVICE_MENU_MAX;
  for (UINT id = 0; id < listedOutputs; id++) {
    MIDIOUTCAPSA caps;
    if (midiOutGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) caps.szPname[0] = '\0';
    AppendDevice(menu, MENU_OUTPUT_FIRST + 1 + id, caps.szPname,
                 Checked(caps.szPname[0] && std::strcmp(caps.szPname, chosenOutputName) == 0));
  }
  char problem[MAX_PATH];
  if (DescribeOutputProblem(problem, sizeof problem)) {
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendDevice(menu, 0, problem, MF_GRAYED);
  }
}

// The merged input that the system may list itself is the fixed first row here.
void FillInputDevices(HMENU menu) {
  AppendDevice(menu, MENU_INPUT_ALL, ALL_INPUTS_TEXT, Checked(!chosenInputName[0]));
  const UINT count = midiInGetNumDevs();
  listedInputs = count < DEVICE_MENU_MAX ? count : DEVICE_MENU_MAX;
  for (UINT id = 0; id < listedInputs; id++) {
    MIDIINCAPSA caps;
    if (midiInGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    if (std::strcmp(caps.szPname, ALL_INPUTS_TEXT) == 0) continue;
    AppendDevice(menu, MENU_INPUT_FIRST + id, caps.szPname,
                 Checked(std::strcmp(caps.szPname, chosenInputName) == 0));
  }
  AppendDevice(menu, MENU_INPUT_NONE, "None",
               Checked(std::strcmp(chosenInputName, NO_MIDI_INPUT) == 0));
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendDevice(menu, MENU_INPUT_CHANNEL, "Play on the current channel",
               Checked(InputFollowsChannel()));
}

UINT OutputChoices() { return listedOutputs + 1; }
UINT InputChoices() { return listedInputs; }

void ChooseOutput(UINT index) {
  MIDIOUTCAPSA caps;
  if (index == 0) {
    SwitchMidiOutput("");
  } else if (midiOutGetDevCapsA(index - 1, &caps, sizeof caps) == MMSYSERR_NOERROR) {
    SwitchMidiOutput(caps.szPname);
  }
  RememberDeviceChoices();
}

void ChooseInput(UINT id) {
  MIDIINCAPSA caps;
  if (midiInGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) return;
  SwitchMidiInputs(std::strcmp(caps.szPname, ALL_INPUTS_TEXT) == 0 ? "" : caps.szPname);
  RememberDeviceChoices();
}

void ChooseAllInputs(UINT) {
  SwitchMidiInputs("");
  RememberDeviceChoices();
}

void ChooseNoInput(UINT) {
  SwitchMidiInputs(NO_MIDI_INPUT);
  RememberDeviceChoices();
}

void ToggleInputChannel(UINT) {
  InterlockedExchange(&followCurrentChannel, !InputFollowsChannel());
  RememberDeviceChoices();
}

BOOL InputFollowsChannel() { return InterlockedCompareExchange(&followCurrentChannel, 0, 0); }
