// Where the song stands and how long it is, in the song's own time (its tempo changes
// followed), for the menu's position line and the jumps.
#pragma once

#include <windows.h>

// The time of tick `tick` (at most the song's end) and of the song's last event, in
// milliseconds, from the song's tempo map.
void MeasureSong(DWORD tick, DWORD* tickMs, DWORD* lengthMs);
DWORD SongPositionMillis();
DWORD SongLengthMillis();
// "m:ss / m:ss" of the current position and the length into `text` (32 bytes).
void FormatSongPosition(char* text);
