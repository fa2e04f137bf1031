// The MIDI output and input rows of the right-click menu, listed afresh each time it opens.
#pragma once

#include <windows.h>

#define MENU_OUTPUT_FIRST 1600  // the default (MIDI Mapper), then each listed output
#define MENU_INPUT_ALL 1700
#define MENU_INPUT_NONE 1701
#define MENU_INPUT_CHANNEL 1702
#define MENU_INPUT_FIRST 1710  // each listed input, by its id
#define DEVICE_MENU_MAX 80     // devices in each list

void FillOutputDevices(HMENU menu);
void FillInputDevices(HMENU menu);
UINT OutputChoices();
UINT InputChoices();
void ChooseOutput(UINT index);
void ChooseInput(UINT id);
void ChooseAllInputs(UINT);
void ChooseNoInput(UINT);
void ToggleInputChannel(UINT);
BOOL InputFollowsChannel();
