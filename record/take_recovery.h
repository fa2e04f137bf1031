// Takes cut short (the program killed, the power gone): a take's .part file that no running
// Plinkaro holds is completed into a playable file beside it, named after it with
// -recovered.mid. The notes and the sustain pedal still held where it stops are released
// there.
#pragma once

#include <windows.h>

// The most bytes that complete a track: a note-off for every note, the pedal released on
// every channel, the end of the track.
#define RECOVERY_TAIL_SIZE (16 * 128 * 4 + 16 * 4 + 4)
// A .part larger than this is not read (a take is cut at 64 MiB of messages).
#define RECOVERY_FILE_LIMIT (256 * 1024 * 1024)

// The take file's `size` bytes: returns where its complete events end (0 when the bytes
// are not a take file's) and fills `tail` with what completes the track from there; the
// tail is empty when the track already ends.
DWORD CompleteTakeTrack(const BYTE* file, DWORD size, BYTE* tail, DWORD* tailLength);
// Completes the .part at `partPath` and renames it; `recoveredPath` receives the new name.
// FALSE when another process holds the file, it is not a take, or a step fails (the .part
// then stays).
BOOL RecoverTakeFile(LPCSTR partPath, char* recoveredPath);
// Recovers every plinkaro-*.part in `folder`; returns how many, with the last one's new
// path in `lastPath`.
DWORD RecoverTakesIn(LPCSTR folder, char* lastPath);
