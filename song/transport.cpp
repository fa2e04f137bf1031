#include "song/transport.h"

#include <mmsystem.h>

#include "common/program_globals.h"
#include "midi/channel_state.h"
#include "midi/midi_output.h"
#include "song/playback_clock.h"
#include "song/recent_songs.h"
#include "song/smf_loader.h"
#include "song/song_state.h"

// NOTE: after a stop, the wait lets a callback that is already under way finish before
// the song is changed under it.
void StopAndReset() {
  StopPlayback();
  Sleep(STOP_WAIT_MS);
  RewindSong();
  ResetAllChannels();
  ReopenMidiOutput();
}

void RewindAndPlay() {
  if (songState.playTimerId != 0) timeKillEvent(songState.playTimerId);
  Sleep(STOP_WAIT_MS);
  RewindSong();
  StartPlayback();
}

// Pausing changes nothing that a running callback uses, so it does not wait.
void TogglePlayback() {
  if (songState.playTimerId != 0) {
    timeKillEvent(songState.playTimerId);
    songState.playTimerId = 0;
  } else {
    StartPlayback();
  }
}

void LoadSongFile(LPCSTR path) {
  if (!LoadSmf(path)) {
    MessageBoxA(mainWindow, "SMF Load Error", "", MB_OK);
    return;
  }
  AddRecentSong(path);
  SaveRecentSongs();
}

void OpenSongFile(LPCSTR path) {
  StopPlayback();
  Sleep(STOP_WAIT_MS);
  LoadSongFile(path);
}

void LoadDroppedFile(HDROP drop) {
  StopPlayback();
  Sleep(STOP_WAIT_MS);
  char path[MAX_PATH];
  // A name that does not fit would be cut to another name: such a drop is skipped.
  if (DragQueryFileA(drop, 0, nullptr, 0) < MAX_PATH &&
      DragQueryFileA(drop, 0, path, MAX_PATH) > 0) {
    LoadSongFile(path);
  }
  DragFinish(drop);
}
