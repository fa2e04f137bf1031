// A take as a Standard MIDI File: format 0, one track, 500 ticks a quarter note at 500000
// microseconds a quarter, so one tick is one millisecond of the take. The track begins with
// the tempo and every channel's instrument at the start (bank MSB, bank LSB, program).
#pragma once

#include <windows.h>

#include "midi/take_capture.h"

#define TAKE_DIVISION 500

// The messages of the take that go into its file: every channel message, long message and
// reset. System common and real-time messages (clock, active sensing) have no place in a
// file and are left out.
DWORD CountTakeMessages(const Take* take);
// Writes the whole file; FALSE when a write fails, with GetLastError telling why.
BOOL WriteTakeFile(HANDLE file, const Take* take);
