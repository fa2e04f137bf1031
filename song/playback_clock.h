// The playback clock: elapsed milliseconds become song ticks at the current tempo.
#pragma once

#include <windows.h>
#include <mmsystem.h>

// The periodic 1 ms timer's callback; reads the time and steps the clock.
void CALLBACK PlaybackTick(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1,
                           DWORD_PTR reserved2);
// One step of the clock at system time `now` (milliseconds): every track gets the whole
// ticks that have passed since the last step.
void StepPlaybackClock(DWORD now);
// Ticks per millisecond in 32.32 fixed point.
unsigned long long PlaybackRate(DWORD ticksPerQuarter, DWORD tempoMicros);

void StartPlayback();
void StopPlayback();
void RewindSong();
