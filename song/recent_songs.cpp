#include "song/recent_songs.h"

#include <cstring>

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

}  // namespace

void AddRecentSong(LPCSTR path) {
  if (!path[0] || lstrlenA(path) >= MAX_PATH) return;
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
