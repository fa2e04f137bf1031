#include "song/playback_clock.h"

#include "common/shared_word.h"
#include "song/song_map.h"
#include "song/song_state.h"

const DWORD PlaybackPercentTable[PLAYBACK_PERCENT_COUNT] = {50,  67,  75,  90, 100,
                                                            110, 125, 150, 200};

namespace {

// Written on the UI thread, read by every clock step.
DWORD playbackPercent = 100;
DWORD songLoops = 0;
// Owned by the timer thread (and the UI thread while the timer is stopped).
DWORD percentCarry = 0;

// Hands `ticks` to every track; whether any track still waits for an event.
bool AdvanceTracks(DWORD ticks) {
  bool waiting = false;
  for (DWORD i = 0; i < songState.trackCount; i++) {
    if (songState.readers[i].AdvanceTrack(ticks)) waiting = true;
  }
  return waiting;
}

void SetSongTick(DWORD tick) {
  InterlockedExchange(SharedWord(&songTick), static_cast<LONG>(tick));
}

// Once every track has ended, the ticks of this step beyond the song's end are played from
// its start again, at the tempo it begins with; the carried fraction stays, so the loop
// costs no time.
void LoopFromTheStart(DWORD tick) {
  DWORD overshoot = tick > songMap.lengthTicks ? tick - songMap.lengthTicks : 0;
  const unsigned long long fraction = songState.tickAccumulator;
  RewindSong();
  songState.tickAccumulator = fraction;
  AdvanceTracks(overshoot);
  SetSongTick(overshoot);
}

}  // namespace

void CALLBACK PlaybackTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  StepPlaybackClock(timeGetTime());
}

unsigned long long PlaybackRate(DWORD ticksPerQuarter, DWORD tempoMicros) {
  return (static_cast<unsigned long long>(ticksPerQuarter) * 1000 << 32) / tempoMicros;
}

unsigned long long ScaledTicks(unsigned long long rate, DWORD elapsed, DWORD percent,
                               DWORD* carry) {
  if (percent == 100) return rate * elapsed;
  // rate x percent / 100 split so that nothing overflows before the sum wraps as it may.
  const unsigned long long hundredths = (rate % 100) * percent * elapsed + *carry;
  *carry = static_cast<DWORD>(hundredths % 100);
  return rate / 100 * percent * elapsed + hundredths / 100;
}

void StepPlaybackClock(DWORD now) {
  const DWORD elapsed = now - songState.lastTickTime;
  songState.lastTickTime = now;
  const unsigned long long rate = PlaybackRate(songState.ticksPerQuarter, songState.tempoMicros);
  songState.tickAccumulator += ScaledTicks(rate, elapsed, PlaybackPercent(), &percentCarry);
  const DWORD whole = static_cast<DWORD>(songState.tickAccumulator >> 32);
  songState.tickAccumulator &= 0xFFFFFFFFull;
  // A tempo event delivered below applies from the next step on, to every track.
  const bool waiting = AdvanceTracks(whole);
  const DWORD tick = ReadSharedWord(&songTick) + whole;
  SetSongTick(tick);
  if (!waiting && SongLoops() && songState.trackCount && songMap.lengthTicks) {
    LoopFromTheStart(tick);
  }
}

// Restamping the time on every start keeps time spent stopped out of the song. A kill
// that waits for a running callback lets every stop change the song right after it.
void StartPlayback() {
  songState.lastTickTime = timeGetTime();
  songState.playTimerId = timeSetEvent(
      1, 1, PlaybackTick, 0, TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
}

void StopPlayback() {
  if (songState.playTimerId != 0) timeKillEvent(songState.playTimerId);
  songState.playTimerId = 0;
}

void RewindSong() {
  songState.tempoMicros = DEFAULT_TEMPO_MICROS;
  songState.tickAccumulator = 0;
  for (DWORD i = 0; i < songState.trackCount; i++) songState.readers[i].RewindTrackReader();
  SetSongTick(0);
}

DWORD PlaybackPercent() { return ReadSharedWord(&playbackPercent); }

void SetPlaybackPercent(DWORD percent) {
  InterlockedExchange(SharedWord(&playbackPercent), static_cast<LONG>(percent));
}

BOOL SongLoops() { return ReadSharedWord(&songLoops) != 0; }

void SetSongLoops(BOOL loops) { InterlockedExchange(SharedWord(&songLoops), loops ? 1 : 0); }
