#include "song/transport.h"

#include <mmsystem.h>

UINT playbackTimer = 0;
DWORD tempoMicros = DEFAULT_TEMPO_MICROS;

void StopPlaybackTimer() {
  if (playbackTimer == 0) return;
  timeKillEvent(playbackTimer);
  playbackTimer = 0;
}

// Placeholders until song playback lands (the issue "Standard MIDI File playback: loader,
// track reader, song dispatch, playback clock"): no song can be loaded yet, so F1, F4
// and F5, which are bound to these, do nothing.
void StopAndReset() {}
void RewindAndPlay() {}
void TogglePlayback() {}
