#include "song/playback_clock.h"

#include "common/shared_word.h"
#include "song/song_state.h"

void CALLBACK PlaybackTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  StepPlaybackClock(timeGetTime());
}

unsigned long long PlaybackRate(DWORD ticksPerQuarter, DWORD tempoMicros) {
  return (static_cast<unsigned long long>(ticksPerQuarter) * 1000 << 32) / tempoMicros;
}

void StepPlaybackClock(DWORD now) {
  const DWORD elapsed = now - songState.lastTickTime;
  songState.lastTickTime = now;
  const unsigned long long rate = PlaybackRate(songState.ticksPerQuarter, songState.tempoMicros);
  songState.tickAccumulator += rate * elapsed;
  const DWORD whole = static_cast<DWORD>(songState.tickAccumulator >> 32);
  songState.tickAccumulator &= 0xFFFFFFFFull;
  InterlockedExchangeAdd(SharedWord(&songState.songTick), static_cast<LONG>(whole));
  // A tempo event delivered below applies from the next step on, to every track.
  for (DWORD i = 0; i < songState.trackCount; i++) songState.readers[i].AdvanceTrack(whole);
}

// Restamping the time on every start keeps time spent stopped out of the song.
void StartPlayback() {
  songState.lastTickTime = timeGetTime();
  songState.playTimerId =
      timeSetEvent(1, 1, PlaybackTick, 0, TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
}

void StopPlayback() {
  if (songState.playTimerId != 0) timeKillEvent(songState.playTimerId);
  songState.playTimerId = 0;
}

void RewindSong() {
  songState.tempoMicros = DEFAULT_TEMPO_MICROS;
  songState.tickAccumulator = 0;
  InterlockedExchange(SharedWord(&songState.songTick), 0);
  for (DWORD i = 0; i < songState.trackCount; i++) songState.readers[i].RewindTrackReader();
}
