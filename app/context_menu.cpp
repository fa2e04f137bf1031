#include "app/context_menu.h"

#include "app/menu_actions.h"
#include "app/remembered_choices.h"
#include "common/path_names.h"
#include "display/row_layout.h"
#include "display/scrolling.h"
#include "display/skin.h"
#include "display/skin_files.h"
#include "input/key_map.h"
#include "midi/channel_mute.h"
#include "midi/channel_state.h"
#include "midi/instrument_names.h"
#include "midi/take_capture.h"
#include "record/recording.h"
#include "song/playback_clock.h"
#include "song/recent_songs.h"
#include "song/song_map.h"
#include "song/song_seek.h"
#include "song/song_state.h"
#include "song/transport.h"

LONG menuChannel = 0;

namespace {

#define MENU_DEPTH_MAX 4
#define MENU_TEXT_SIZE (2 * MAX_PATH + 8)

enum RowKind { ROW_ITEM, ROW_SUBMENU, ROW_SEPARATOR, ROW_LIST };

// One row of the menu. A submenu holds the rows after it that are one level deeper; a list
// row appends items made when the menu opens.
struct MenuRow {
  int depth;
  RowKind kind;
  UINT command;
  LPCSTR text;
  void (*label)(char* text);  // a text that changes, instead of `text`
  BOOL (*checked)();
  BOOL (*grayed)();
  void (*fill)(HMENU menu);
};

// A command range: `count` ids from `first`, each run with its index in the range.
struct MenuCommandRange {
  UINT first;
  UINT (*count)();
  void (*run)(UINT index);
  BOOL remembered;  // the choice goes into the settings file
};

BOOL Always() { return TRUE; }
BOOL NoRecentSongs() { return recentSongCount == 0; }
BOOL F7Option() { return f7StartsRecording; }
void RecordLabel(char* text) { lstrcpyA(text, RunningTake() ? "Stop recording" : "&Record"); }
void PositionLabel(char* text) { FormatSongPosition(text); }

// Menus take '&' as a mnemonic mark: a file's '&' is doubled to show as itself.
void EscapeMnemonics(char* out, LPCSTR text) {
  for (; *text; text++) {
    if (*text == '&') *out++ = '&';
    *out++ = *text;
  }
  *out = '\0';
}

void FillRecentSongs(HMENU menu) {
  for (DWORD i = 0; i < recentSongCount; i++) {
    char text[MENU_TEXT_SIZE];
    EscapeMnemonics(text, RecentSongs[i]);
    AppendMenuA(menu, MF_STRING, MENU_RECENT_FIRST + i, text);
  }
}

void FillTempos(HMENU menu) {
  for (DWORD i = 0; i < PLAYBACK_PERCENT_COUNT; i++) {
    char text[16];
    wsprintfA(text, "%lu %%", PlaybackPercentTable[i]);
    const UINT checked = PlaybackPercentTable[i] == PlaybackPercent() ? MF_CHECKED : 0;
    AppendMenuA(menu, MF_STRING | checked, MENU_TEMPO_FIRST + i, text);
  }
}

void AppendProgram(HMENU menu, BYTE program, LPCSTR name) {
  const UINT checked = (ReadInstrument(menuChannel) & 0xFF) == program ? MF_CHECKED : 0;
  AppendMenuA(menu, MF_STRING | checked, MENU_PROGRAM_FIRST + program, name);
}

// The drum channel plays kits; every other channel the 128 programs, a submenu a family.
void FillInstruments(HMENU menu) {
  if (menuChannel == DRUM_CHANNEL) {
    for (const DrumKit& kit : DrumKitTable) AppendProgram(menu, kit.program, kit.name);
    return;
  }
  for (DWORD family = 0; family < PROGRAM_FAMILY_COUNT; family++) {
    HMENU programs = CreatePopupMenu();
    for (DWORD i = 0; i < PROGRAMS_PER_FAMILY; i++) {
      const BYTE program = static_cast<BYTE>(family * PROGRAMS_PER_FAMILY + i);
      AppendProgram(programs, program, ProgramNameTable[program]);
    }
    AppendMenuA(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(programs),
                ProgramFamilyTable[family]);
  }
}

void InstrumentLabel(char* text) { wsprintfA(text, "&Instrument (channel %ld)", menuChannel + 1); }
void MuteLabel(char* text) { wsprintfA(text, "&Mute channel %ld", menuChannel + 1); }
void SoloLabel(char* text) { wsprintfA(text, "S&olo channel %ld", menuChannel + 1); }
BOOL MenuChannelMuted() { return ChannelMuted(menuChannel); }
BOOL MenuChannelSoloed() { return ChannelSoloed(menuChannel); }

void FillSkins(HMENU menu) {
  AppendMenuA(menu, MF_STRING | (skinIndex == 0 ? MF_CHECKED : 0), MENU_SKIN_FIRST, "Built-in");
  for (DWORD i = 0; i < skinCount; i++) {
    char text[MENU_TEXT_SIZE];
    EscapeMnemonics(text, FileNameOf(SkinList[i]));
    const UINT checked = static_cast<DWORD>(skinIndex) == i + 1 ? MF_CHECKED : 0;
    AppendMenuA(menu, MF_STRING | checked, MENU_SKIN_FIRST + 1 + i, text);
  }
}

const MenuRow ContextMenuTable[] = {
    {0, ROW_SUBMENU, 0, "&Song", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_ITEM, MENU_OPEN_SONG, "&Open...", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_SUBMENU, 0, "Recent so&ngs", nullptr, nullptr, NoRecentSongs, nullptr},
    {2, ROW_LIST, 0, nullptr, nullptr, nullptr, nullptr, FillRecentSongs},
    {1, ROW_SEPARATOR, 0, nullptr, nullptr, nullptr, nullptr, nullptr},
    {1, ROW_ITEM, MENU_PLAY_PAUSE, "&Play/Pause\tF5", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_ITEM, MENU_REWIND_AND_PLAY, "Re&wind and play\tF4", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_ITEM, MENU_STOP_AND_RESET, "S&top and reset\tF1", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_ITEM, MENU_SONG_POSITION, nullptr, PositionLabel, nullptr, Always, nullptr},
    {1, ROW_SUBMENU, 0, "Te&mpo", nullptr, nullptr, nullptr, nullptr},
    {2, ROW_LIST, 0, nullptr, nullptr, nullptr, nullptr, FillTempos},
    {1, ROW_SUBMENU, 0, "&Jump", nullptr, nullptr, nullptr, nullptr},
    {2, ROW_ITEM, MENU_JUMP_BACK, "&Back 10 s", nullptr, nullptr, nullptr, nullptr},
    {2, ROW_ITEM, MENU_JUMP_FORWARD, "&Forward 10 s", nullptr, nullptr, nullptr, nullptr},
    {2, ROW_ITEM, MENU_JUMP_START, "To the &start", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_ITEM, MENU_LOOP_SONG, "&Loop the song", nullptr, SongLoops, nullptr, nullptr},
    // The channel under the pointer (menuChannel).
    {0, ROW_SEPARATOR, 0, nullptr, nullptr, nullptr, nullptr, nullptr},
    {0, ROW_SUBMENU, 0, nullptr, InstrumentLabel, nullptr, nullptr, nullptr},
    {1, ROW_LIST, 0, nullptr, nullptr, nullptr, nullptr, FillInstruments},
    {0, ROW_ITEM, MENU_MUTE, nullptr, MuteLabel, MenuChannelMuted, nullptr, nullptr},
    {0, ROW_ITEM, MENU_SOLO, nullptr, SoloLabel, MenuChannelSoloed, nullptr, nullptr},
    {0, ROW_ITEM, MENU_UNMUTE_ALL, "&Unmute all", nullptr, nullptr, nullptr, nullptr},
    {0, ROW_SEPARATOR, 0, nullptr, nullptr, nullptr, nullptr, nullptr},
    {0, ROW_SUBMENU, 0, "S&kin", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_LIST, 0, nullptr, nullptr, nullptr, nullptr, FillSkins},
    {0, ROW_SEPARATOR, 0, nullptr, nullptr, nullptr, nullptr, nullptr},
    {0, ROW_ITEM, MENU_RECORD, nullptr, RecordLabel, nullptr, nullptr, nullptr},
    {0, ROW_SUBMENU, 0, "Record &folder", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_ITEM, MENU_CHOOSE_RECORD_FOLDER, "&Choose...", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_ITEM, MENU_OPEN_RECORD_FOLDER, "&Open folder", nullptr, nullptr, nullptr, nullptr},
    {0, ROW_SUBMENU, 0, "K&eys", nullptr, nullptr, nullptr, nullptr},
    {1, ROW_ITEM, MENU_F7_OPTION, "F7 starts and stops recording", nullptr, F7Option, nullptr,
     nullptr},
    // The MIDI output and input devices come here.
    {0, ROW_SEPARATOR, 0, nullptr, nullptr, nullptr, nullptr, nullptr},
    {0, ROW_ITEM, MENU_ABOUT, "&About Plinkaro", nullptr, nullptr, nullptr, nullptr},
};

UINT One() { return 1; }
UINT RecentCount() { return recentSongCount; }
UINT SkinChoices() { return skinCount + 1; }
void PlayPause(UINT) { TogglePlayback(); }
void RewindPlay(UINT) { RewindAndPlay(); }
void StopReset(UINT) { StopAndReset(); }
void Record(UINT) { ToggleRecording(); }
void OpenSong(UINT) { ShowOpenSongDialog(); }
void ChooseFolder(UINT) { ShowRecordFolderDialog(); }
void OpenFolder(UINT) { OpenRecordFolder(); }
void ToggleF7Option(UINT) { f7StartsRecording = !f7StartsRecording; }
void About(UINT) { ShowAboutBox(); }
void ChooseSkin(UINT index) { SwitchSkin(static_cast<int>(index)); }
UINT TempoChoices() { return PLAYBACK_PERCENT_COUNT; }
UINT ProgramChoices() { return 128; }
void ChooseTempo(UINT index) { SetPlaybackPercent(PlaybackPercentTable[index]); }
void JumpBack(UINT) { JumpSongBy(-JUMP_STEP_MILLIS); }
void JumpForward(UINT) { JumpSongBy(JUMP_STEP_MILLIS); }
void JumpStart(UINT) { JumpToSongStart(); }
void ToggleLoop(UINT) { SetSongLoops(!SongLoops()); }
void ChooseProgram(UINT index) { ChooseInstrument(menuChannel, static_cast<BYTE>(index)); }
void ToggleMute(UINT) { SetChannelMuted(menuChannel, !ChannelMuted(menuChannel)); }
void ToggleSolo(UINT) { SetChannelSoloed(menuChannel, !ChannelSoloed(menuChannel)); }
void UnmuteAll(UINT) { UnmuteAllChannels(); }

const MenuCommandRange MenuCommandTable[] = {
    {MENU_OPEN_SONG, One, OpenSong, TRUE},
    {MENU_PLAY_PAUSE, One, PlayPause, FALSE},
    {MENU_REWIND_AND_PLAY, One, RewindPlay, FALSE},
    {MENU_STOP_AND_RESET, One, StopReset, FALSE},
    {MENU_RECORD, One, Record, FALSE},
    {MENU_CHOOSE_RECORD_FOLDER, One, ChooseFolder, TRUE},
    {MENU_OPEN_RECORD_FOLDER, One, OpenFolder, FALSE},
    {MENU_F7_OPTION, One, ToggleF7Option, TRUE},
    {MENU_ABOUT, One, About, FALSE},
    {MENU_RECENT_FIRST, RecentCount, OpenRecentSong, TRUE},
    {MENU_SKIN_FIRST, SkinChoices, ChooseSkin, TRUE},
    // Speed, loop, mute and solo are for the session; the instrument belongs to the song.
    {MENU_TEMPO_FIRST, TempoChoices, ChooseTempo, FALSE},
    {MENU_JUMP_BACK, One, JumpBack, FALSE},
    {MENU_JUMP_FORWARD, One, JumpForward, FALSE},
    {MENU_JUMP_START, One, JumpStart, FALSE},
    {MENU_LOOP_SONG, One, ToggleLoop, FALSE},
    {MENU_PROGRAM_FIRST, ProgramChoices, ChooseProgram, FALSE},
    {MENU_MUTE, One, ToggleMute, FALSE},
    {MENU_SOLO, One, ToggleSolo, FALSE},
    {MENU_UNMUTE_ALL, One, UnmuteAll, FALSE},
};

void AppendRow(HMENU menu, const MenuRow& row, HMENU submenu) {
  if (row.kind == ROW_LIST) return row.fill(menu);
  if (row.kind == ROW_SEPARATOR) {
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  char text[MENU_TEXT_SIZE];
  if (row.label) {
    row.label(text);
  } else {
    lstrcpyA(text, row.text);
  }
  UINT flags = MF_STRING;
  if (row.checked && row.checked()) flags |= MF_CHECKED;
  if (row.grayed && row.grayed()) flags |= MF_GRAYED;
  if (submenu) flags |= MF_POPUP;
  const UINT_PTR id = submenu ? reinterpret_cast<UINT_PTR>(submenu) : row.command;
  AppendMenuA(menu, flags, id, text);
}

// Where a menu opened from the keyboard goes: over the current channel's row, kept inside
// the client area when the row is scrolled out of view.
POINT KeyboardMenuPoint(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  LONG y = ReadCurrentChannel() * ROW_HEIGHT - verticalScroll + HEADER_HEIGHT;
  if (y < client.top) y = client.top;
  if (y > client.bottom) y = client.bottom;
  POINT at = {client.left + HEADER_HEIGHT, y};
  ClientToScreen(window, &at);
  return at;
}

LONG ChannelAt(POINT client) {
  const LONG row = (client.y + verticalScroll) / ROW_HEIGHT;
  return row < 0 ? 0 : row >= CHANNEL_COUNT ? CHANNEL_COUNT - 1 : row;
}

}  // namespace

HMENU BuildContextMenu() {
  HMENU menus[MENU_DEPTH_MAX] = {CreatePopupMenu()};
  for (const MenuRow& row : ContextMenuTable) {
    HMENU submenu = row.kind == ROW_SUBMENU ? CreatePopupMenu() : nullptr;
    AppendRow(menus[row.depth], row, submenu);
    if (submenu) menus[row.depth + 1] = submenu;
  }
  return menus[0];
}

BOOL RunMenuCommand(UINT command) {
  for (const MenuCommandRange& range : MenuCommandTable) {
    if (command < range.first || command - range.first >= range.count()) continue;
    range.run(command - range.first);
    if (range.remembered) SaveRememberedChoices();
    return TRUE;
  }
  return FALSE;
}

LRESULT OnContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
  POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (at.x == -1 && at.y == -1) {
    at = KeyboardMenuPoint(window);
    menuChannel = ReadCurrentChannel();
  } else {
    POINT client = at;
    ScreenToClient(window, &client);
    RECT area;
    GetClientRect(window, &area);
    if (client.x < area.left || client.x >= area.right || client.y < area.top ||
        client.y >= area.bottom) {
      return DefWindowProcA(window, WM_CONTEXTMENU, wParam, lParam);
    }
    menuChannel = ChannelAt(client);
  }
  HMENU menu = BuildContextMenu();
  RememberHeldNoteKeys();
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, at.x,
                     at.y, 0, window, nullptr));
  DestroyMenu(menu);
  CatchUpReleasedKeys();
  if (command != 0) RunMenuCommand(command);
  // A dialog or box of the command takes key-ups as the menu does.
  CatchUpReleasedKeys();
  return 0;
}
