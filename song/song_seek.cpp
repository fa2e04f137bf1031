#include "song/song_seek.h"

#include "midi/channel_state.h"
#include "song/playback_clock.h"
#include "song/song_chase.h"
#include "song/song_map.h"
#include "song/song_state.h"

void JumpSongTo(DWORD millis) {
  const BOOL playing = songState.playTimerId != 0;
  // The kill returns once no clock step runs: the song is the UI thread's from here on.
  StopPlayback();
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) ReleaseChannelNotes(ch);
  const DWORD length = SongLengthMillis();
  const DWORD target = millis < length ? millis : length;
  const DWORD tick = TickAtMicros(target * 1000ull);
  ChaseSongTo(tick < songMap.lengthTicks ? tick : songMap.lengthTicks);
  if (playing) StartPlayback();
}

void JumpSongBy(LONG millis) {
  const LONG position = static_cast<LONG>(SongPositionMillis());
  JumpSongTo(static_cast<DWORD>(position + millis > 0 ? position + millis : 0));
}

void JumpToSongStart() { JumpSongTo(0); }
