// Reading a Standard MIDI File into the song: one reader per track chunk.
#pragma once

#include <windows.h>

// Loads the file at `path` in place of the current song; 1 on success, 0 on failure
// (what survives a failure depends on how far the load got). The playback timer must
// be stopped.
BOOL LoadSmf(LPCSTR path);
// The same from a file image already in memory, from the point where the previous song
// is given up.
BOOL LoadSmfImage(const BYTE* image, DWORD size);
