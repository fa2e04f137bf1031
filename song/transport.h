// The transport keys and the file drop: what the user does to the song on the UI thread.
#pragma once

#include <windows.h>
#include <shellapi.h>

void StopAndReset();    // F1: stop, rewind, reset every channel and reopen the output
void RewindAndPlay();   // F4
void TogglePlayback();  // F5: pause when playing, else play from the current position
// WM_DROPFILES: stops playback and loads the first dropped file.
void LoadDroppedFile(HDROP drop);
// Loads `path` as the song, telling the user with "SMF Load Error" when that fails; a
// loaded song goes first in the recent songs.
void LoadSongFile(LPCSTR path);
// Stops playback, waits for the timer's last callback and loads `path` (a drop, the menu).
void OpenSongFile(LPCSTR path);
