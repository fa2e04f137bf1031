#include "app/menu_actions.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>

#include "app/main_window.h"
#include "common/problem_log.h"
#include "common/program_globals.h"
#include "common/settings.h"
#include "midi/midi_output.h"
#include "record/record_folder.h"
#include "song/recent_songs.h"
#include "song/transport.h"

namespace {

#define MENU_BOX_CAPTION "Plinkaro"
#define ABOUT_TEXT_SIZE 8192

const char SONG_FILTER[] =
    "MIDI files (*.mid, *.midi, *.smf, *.kar)\0*.mid;*.midi;*.smf;*.kar\0All files\0*.*\0";

#ifdef _WIN32
const char NO_FILE_CHOOSER[] =
    "The Open dialog could not be shown.\n\nA MIDI file can also be dropped on the window.";
#else
const char NO_FILE_CHOOSER[] =
    "No file chooser is available.\n\nInstall xdg-desktop-portal and a backend for it, such as "
    "xdg-desktop-portal-gtk (or the one of your desktop), then log in again.\n\nA MIDI file "
    "can also be dropped on the window.";
#endif

struct VariableRow {
  LPCSTR name;
  LPCSTR decides;
};

// What each environment variable decides at start; a menu choice wins for the session.
const VariableRow VariableTable[] = {
#ifndef _WIN32
    {"PLINKARO_MIDI_OUT", "the MIDI output (default: the built-in synthesizer)"},
    {"PLINKARO_MIDI_IN", "the MIDI inputs (default: all)"},
    {"PLINKARO_MIDI_API", "ALSA sequencer or JACK for ports and inputs"},
    {"PLINKARO_AUDIO_DRIVER", "the synthesizer's sound output"},
    {"PLINKARO_AUDIO_OUT", "a WAV file instead of the sound card"},
    {"PLINKARO_SCALE", "the window's scale"},
#endif
    {"PLINKARO_MIDI_IN_CHANNEL", "the channel MIDI input plays on (default: its own)"},
    {"PLINKARO_RECORD_DIR", "the record folder (a folder chosen in the menu wins)"},
};

void ShowBox(LPCSTR text) { MessageBoxA(mainWindow, text, MENU_BOX_CAPTION, MB_OK); }

// The folder of the newest recent song, where the Open dialog starts.
void NewestSongFolder(char* folder) {
  folder[0] = '\0';
  if (recentSongCount == 0) return;
  lstrcpyA(folder, RecentSongs[0]);
  CutToDirectory(folder);
}

BOOL SongFileThere(LPCSTR path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return TRUE;
  }
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

int AppendText(char* text, int used, LPCSTR format, LPCSTR first, LPCSTR second) {
  if (used < 0 || used >= ABOUT_TEXT_SIZE) return used;
  const int written = std::snprintf(text + used, ABOUT_TEXT_SIZE - used, format, first, second);
  return written < 0 ? used : used + written;
}

// The device behind the MIDI Mapper, the only one the program opens.
void DescribeOutput(char* device) {
  MIDIOUTCAPSA caps;
  if (!midiOutput) {
    lstrcpyA(device, "none could be opened (see the problems below)");
  } else if (midiOutGetDevCapsA(MIDI_MAPPER, &caps, sizeof caps) == MMSYSERR_NOERROR) {
    lstrcpynA(device, caps.szPname, MAXPNAMELEN);
  } else {
    lstrcpyA(device, "the MIDI Mapper");
  }
}

}  // namespace

void ShowOpenSongDialog() {
  char path[MAX_PATH] = "";
  char folder[MAX_PATH];
  NewestSongFolder(folder);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = mainWindow;
  dialog.lpstrFilter = SONG_FILTER;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = folder[0] ? folder : nullptr;
  dialog.lpstrTitle = "Open song";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (GetOpenFileNameA(&dialog)) return OpenSongFile(path);
  const DWORD error = CommDlgExtendedError();
  if (error == FNERR_BUFFERTOOSMALL) return ShowBox("The file's path is too long to open.");
  if (error != 0) ShowBox(NO_FILE_CHOOSER);
}

void OpenRecentSong(UINT index) {
  if (index >= recentSongCount) return;
  char path[MAX_PATH];
  lstrcpyA(path, RecentSongs[index]);
  if (SongFileThere(path)) return OpenSongFile(path);
  RemoveRecentSong(index);
  char text[MAX_PATH + 96];
  wsprintfA(text, "%s\n\nThis song is no longer there; it was removed from the recent songs.",
            path);
  ShowBox(text);
}

void ShowRecordFolderDialog() {
  BROWSEINFOA browse = {};
  browse.hwndOwner = mainWindow;
  browse.lpszTitle = "Folder for recordings";
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
  if (!chosen) return;
  char folder[MAX_PATH];
  if (SHGetPathFromIDListA(chosen, folder)) ChooseRecordFolder(folder);
  CoTaskMemFree(chosen);
}

void OpenRecordFolder() {
  char folder[MAX_PATH];
  const DWORD error = FindRecordFolder(folder, TRUE);
  if (error == ERROR_SUCCESS &&
      reinterpret_cast<INT_PTR>(
          ShellExecuteA(mainWindow, "open", folder, nullptr, nullptr, SW_SHOWNORMAL)) > 32) {
    return;
  }
  char text[MAX_PATH + 64];
  wsprintfA(text, "The record folder could not be opened:\n%s", folder);
  ShowBox(text);
}

void ShowAboutBox() {
  static char text[ABOUT_TEXT_SIZE];
  char folder[MAX_PATH];
  FindRecordFolder(folder, FALSE);
  char device[MAX_PATH];
  DescribeOutput(device);
  int used = AppendText(text, 0, "Plinkaro %s%s\n\n", PLINKARO_VERSION, "");
  used = AppendText(text, used, "Settings file: %s%s\n", settingsPath[0] ? settingsPath : "none",
                    settingsInUse ? "" : " (written once a choice is made in this menu)");
  used = AppendText(text, used, "MIDI output: %s%s\n", device, "");
  used = AppendText(text, used, "Record folder: %s%s\n\n", folder, "");
  used = AppendText(text, used, "%s%s\n", "Environment variables (read at start):", "");
  for (const VariableRow& row : VariableTable) {
    char value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(row.name, value, MAX_PATH);
    used = AppendText(text, used, "%s: %s", row.name, row.decides);
    used = AppendText(text, used, "%s%s\n", length > 0 && length < MAX_PATH ? "; now " : "",
                      length > 0 && length < MAX_PATH ? value : "");
  }
  char problems[PROBLEM_LINE_COUNT * PROBLEM_LINE_SIZE];
  const DWORD count = CopyProblemLines(problems, sizeof problems);
  used = AppendText(text, used, "\nProblems reported since start:\n%s%s", count ? problems : "none",
                    "");
  ShowBox(text);
}
