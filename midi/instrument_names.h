// The instruments of the General MIDI sound set by name: 128 programs in 16 families of 8,
// and the drum kits that channel 10 plays.
#pragma once

#include <windows.h>

#define PROGRAM_FAMILY_COUNT 16
#define PROGRAMS_PER_FAMILY 8
#define DRUM_CHANNEL 9
#define DRUM_KIT_COUNT 9

struct DrumKit {
  BYTE program;
  const char* name;
};

extern const char* const ProgramNameTable[128];
extern const char* const ProgramFamilyTable[PROGRAM_FAMILY_COUNT];
extern const DrumKit DrumKitTable[DRUM_KIT_COUNT];

// Bank 0/0 and the program, sent as an edit of the three numbers would send them.
void ChooseInstrument(int ch, BYTE program);
