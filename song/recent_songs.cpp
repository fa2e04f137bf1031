#include "song/recent_songs.h"

#include <cstdio>
#include <cstring>

#include "common/program_globals.h"
#include "common/settings.h"

char RecentSongs[RECENT_SONG_MAX][MAX_PATH];
DWORD recentSongCount = 0;

namespace {

// Windows' file names ignore case; the other hosts' do not.
BOOL SamePath(LPCSTR a, LPCSTR b) {
#ifdef _WIN32
  return lstrcmpiA(a, b) == 0;
#else
  return std::strcmp(a, b) == 0;
#endif
}

BOOL IsAbsolute(LPCSTR path) {
#ifdef _WIN32
  return path[0] == '\\' || path[0] == '/' || (path[0] && path[1] == ':');
#else
  return path[0] == '/';
#endif
}

// A name relative to the current folder is kept with that folder, so that it still names
// the file in a later run started elsewhere. FALSE when it does not fit.
BOOL MakeFullPath(char* full, LPCSTR path) {
  if (IsAbsolute(path)) {
    if (lstrlenA(path) >= MAX_PATH) return FALSE;
    lstrcpyA(full, path);
    return TRUE;
  }
  char folder[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH) return FALSE;
  const int written = std::snprintf(full, MAX_PATH, "%s%c%s", folder, PATH_SEPARATOR, path);
  return written > 0 && written < MAX_PATH;
}

}  // namespace

void AddRecentSong(LPCSTR name) {
  char path[MAX_PATH];
  if (!name[0] || !MakeFullPath(path, name)) return;
  DWORD found = 0;
  while (found < recentSongCount && !SamePath(RecentSongs[found], path)) found++;
  if (found == recentSongCount && recentSongCount < RECENT_SONG_MAX) recentSongCount++;
  if (found == RECENT_SONG_MAX) found = RECENT_SONG_MAX - 1;
  std::memmove(RecentSongs[1], RecentSongs[0], found * sizeof RecentSongs[0]);
  lstrcpyA(RecentSongs[0], path);
}

void RemoveRecentSong(DWORD index) {
  if (index >= recentSongCount) return;
  recentSongCount--;
  std::memmove(RecentSongs[index], RecentSongs[index + 1],
               (recentSongCount - index) * sizeof RecentSongs[0]);
}

void LoadRecentSongs() {
  recentSongCount = 0;
  for (int i = 1; i <= RECENT_SONG_MAX; i++) {
    char key[8];
    wsprintfA(key, "%d", i);
    ReadSetting(RECENT_SECTION, key, RecentSongs[recentSongCount], MAX_PATH);
    if (RecentSongs[recentSongCount][0]) recentSongCount++;
  }
}

void SaveRecentSongs() {
  ClearSettingsSection(RECENT_SECTION);
  for (DWORD i = 0; i < recentSongCount; i++) {
    char key[8];
    wsprintfA(key, "%lu", i + 1);
    WriteSetting(RECENT_SECTION, key, RecentSongs[i]);
  }
}
