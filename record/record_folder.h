// Where takes are saved: a folder chosen in the menu (for the rest of the session), else
// PLINKARO_RECORD_DIR, else the remembered choice, else Plinkaro in the user's Music folder,
// created when first needed.
#pragma once

#include <windows.h>

#define RECORD_FOLDER_KEY "RecordFolder"

// The folder remembered in the settings file, or chosen in the menu; "" for none.
extern char recordFolderChoice[MAX_PATH];
extern BOOL recordFolderChosen;  // chosen in the menu this session: it beats the variable

// Reads the remembered folder.
void LoadRecordFolderChoice();
// The menu's choice: used at once, for the rest of the session.
void ChooseRecordFolder(LPCSTR folder);
// The folder for the next take; the default one is created when `create`. When the
// folder's path does not fit, `folder` says where it came from.
DWORD FindRecordFolder(char* folder, BOOL create);
// Music\Plinkaro (created when `create`), or the current folder where there is no Music
// folder. ERROR_SUCCESS, or why there is no folder.
DWORD FindDefaultRecordFolder(char* folder, BOOL create);
