#include "song/song_state.h"

SongState songState = {nullptr, 0, 0, DEFAULT_TEMPO_MICROS, 0, 0, 0};

void ReleaseSong() {
  for (DWORD i = 0; i < songState.trackCount; i++) songState.readers[i].ReleaseTrackReader();
  delete[] songState.readers;
  songState.readers = nullptr;
  songState.trackCount = 0;
}
