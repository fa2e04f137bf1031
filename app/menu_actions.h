// What the menu's choices do beyond the transport keys: the dialogs and boxes.
#pragma once

#include <windows.h>

void ShowOpenSongDialog();
// Opens recent song `index`; a song that is no longer there is removed, with a box.
void OpenRecentSong(UINT index);
void ShowRecordFolderDialog();
void OpenRecordFolder();
void ShowAboutBox();
