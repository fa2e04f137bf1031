// Where the song stands and how long it is, in the song's own time (its tempo changes
// followed), for the menu's position line.
#pragma once

#include <windows.h>

// The time of tick `tick` and of the song's last event, in milliseconds, found by walking
// every track from the start with the tempo changes in tick order. UI thread, with the
// song loaded; the playback may run, since the walk reads only the tracks' bytes.
void MeasureSong(DWORD tick, DWORD* tickMs, DWORD* lengthMs);
// "m:ss / m:ss" of the current position and the length into `text` (32 bytes).
void FormatSongPosition(char* text);
