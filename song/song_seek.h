// Jumps within the song on the UI thread: the song goes on from the target as if it had
// played up to there.
#pragma once

#include <windows.h>

#define JUMP_STEP_MILLIS 10000

// Moves the song by `millis` of its own time (negative: back), within its start and end.
void JumpSongBy(LONG millis);
void JumpToSongStart();
// The song's notes that sound are released, the song is chased to `millis` of song time
// and, when it was playing, plays on from there.
void JumpSongTo(DWORD millis);
