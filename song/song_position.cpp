#include "song/song_position.h"

#include "common/shared_word.h"
#include "song/song_map.h"
#include "song/song_state.h"

namespace {

void FormatTime(char* text, DWORD ms) {
  const DWORD seconds = ms / 1000;
  wsprintfA(text, "%lu:%02lu", seconds / 60, seconds % 60);
}

}  // namespace

void MeasureSong(DWORD tick, DWORD* tickMs, DWORD* lengthMs) {
  if (tick > songMap.lengthTicks) tick = songMap.lengthTicks;
  *tickMs = static_cast<DWORD>(MicrosAtTick(tick) / 1000);
  *lengthMs = static_cast<DWORD>(MicrosAtTick(songMap.lengthTicks) / 1000);
}

DWORD SongPositionMillis() {
  DWORD at, length;
  MeasureSong(ReadSharedWord(&songState.songTick), &at, &length);
  return at;
}

DWORD SongLengthMillis() {
  DWORD at, length;
  MeasureSong(0, &at, &length);
  return length;
}

void FormatSongPosition(char* text) {
  DWORD positionMs;
  DWORD lengthMs;
  MeasureSong(ReadSharedWord(&songState.songTick), &positionMs, &lengthMs);
  char position[16];
  char length[16];
  FormatTime(position, positionMs);
  FormatTime(length, lengthMs);
  wsprintfA(text, "%s / %s", position, length);
}
