// The songs opened last (from the menu, dropped or named on the command line), newest
// first, remembered in the settings file.
#pragma once

#include <windows.h>

#define RECENT_SONG_MAX 10
#define RECENT_SECTION "Recent songs"

extern char RecentSongs[RECENT_SONG_MAX][MAX_PATH];
extern DWORD recentSongCount;

// Puts `name` first, with the current folder in front when it is relative; the same path
// further down moves up, and the oldest falls off.
void AddRecentSong(LPCSTR name);
// Removes entry `index` (0 is the newest); an index past the end changes nothing.
void RemoveRecentSong(DWORD index);
// Reads the list from the settings file (keys 1 to 10), skipping empty entries.
void LoadRecentSongs();
// Writes the whole list, replacing what the file held.
void SaveRecentSongs();
