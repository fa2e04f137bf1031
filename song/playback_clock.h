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
// The 32.32 ticks that `elapsed` milliseconds make at `rate` when the song runs at `percent`
// of its speed. Hundredths of the smallest unit that a step cannot hand over are carried in
// `carry`, so no time is lost between steps; at 100 it is exactly rate x elapsed.
unsigned long long ScaledTicks(unsigned long long rate, DWORD elapsed, DWORD percent, DWORD* carry);

void StartPlayback();
// Kills the playback timer; it returns once no callback runs any more, so the caller may
// change the song at once.
void StopPlayback();
void RewindSong();

// The speed of playback in percent of the song's own; 100 at start, kept for the session.
#define PLAYBACK_PERCENT_COUNT 9
extern const DWORD PlaybackPercentTable[PLAYBACK_PERCENT_COUNT];
DWORD PlaybackPercent();
// Takes effect from the next clock step, from where the song stands.
void SetPlaybackPercent(DWORD percent);

// When on, the song starts again from its beginning once its longest track has ended.
BOOL SongLoops();
void SetSongLoops(BOOL loops);
