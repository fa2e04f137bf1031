// Song playback's transport: the playback timer, the tempo and the transport keys.
#pragma once

#include <windows.h>

#define DEFAULT_TEMPO_MICROS 500000

extern UINT playbackTimer;  // the multimedia timer while a song plays, else 0
extern DWORD tempoMicros;   // microseconds per quarter note

void StopPlaybackTimer();
void StopAndReset();    // F1: stop, rewind, reset every channel and reopen the output
void RewindAndPlay();   // F4
void TogglePlayback();  // F5: pause when playing, else play from the current position
