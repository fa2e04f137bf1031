#include "input/key_map.h"

#include "display/row_layout.h"
#include "display/skin.h"
#include "input/value_editor.h"
#include "midi/channel_state.h"
#include "record/recording.h"
#include "song/transport.h"

// Laid out for a JIS keyboard: the bottom letter row plays the white keys from Z, the
// home row the black keys between them.
const NoteKey NoteKeyTable[NOTE_KEY_COUNT] = {
    {0x5A, 0},         {0x53, 1},      {0x58, 2},          {0x44, 3},      {0x43, 4},
    {0x56, 5},         {0x47, 6},      {0x42, 7},          {0x48, 8},      {0x4E, 9},
    {0x4A, 10},        {0x4D, 11},     {VK_OEM_COMMA, 12}, {0x4C, 13},     {VK_OEM_PERIOD, 14},
    {VK_OEM_PLUS, 15}, {VK_OEM_2, 16}, {VK_OEM_102, 17},   {VK_OEM_6, 18},
};

namespace {

const LPARAM KEY_WAS_DOWN = 0x40000000;

// The note keys that were down when a menu opened: their key-ups go to the menu.
BOOL noteKeyHeld[NOTE_KEY_COUNT];

bool ShiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

void Transpose(int step) {
  if (!ShiftHeld()) {
    const LONG ch = ReadCurrentChannel();
    SetBaseKey(ch, ChannelTable[ch].baseKey + step);
    return;
  }
  for (int ch = 0; ch < CHANNEL_COUNT; ch++) SetBaseKey(ch, ChannelTable[ch].baseKey + step);
}

void SelectChannelByDigit(WORD virtualKey) {
  if (virtualKey == '0') {
    SelectChannel(9);
  } else if (virtualKey <= '6' && ShiftHeld()) {
    SelectChannel(virtualKey - 0x27);
  } else {
    SelectChannel(virtualKey - 0x31);
  }
}

void EditInstrumentByte(int x, BYTE* field) {
  BeginEdit(x, ReadCurrentChannel() * ROW_HEIGHT + 2, field, 1);
}

void PlayNoteKey(BOOL isDown, int offset) {
  const LONG ch = ReadCurrentChannel();
  SendKeyNote(isDown, ch, ChannelTable[ch].baseKey + offset);
}

}  // namespace

int FindNoteKeyOffset(WORD virtualKey) {
  for (const NoteKey& key : NoteKeyTable) {
    if (key.virtualKey == virtualKey) return key.offset;
  }
  return -1;
}

LRESULT OnKeyDown(WPARAM wParam, LPARAM keyData) {
  if (keyData & KEY_WAS_DOWN) return 0;
  const WORD virtualKey = LOWORD(wParam);
  ChannelState& current = ChannelTable[ReadCurrentChannel()];
  switch (virtualKey) {
    case VK_SHIFT: sustainActive = 1; return 0;
    case VK_CONTROL: ReleaseChannelNotes(ReadCurrentChannel()); return 0;
    case VK_LEFT: Transpose(-1); return 0;
    case VK_UP: Transpose(+12); return 0;
    case VK_RIGHT: Transpose(+1); return 0;
    case VK_DOWN: Transpose(-12); return 0;
    case 'Q': EditInstrumentByte(252, &current.bankMSB); return 0;
    case 'W': EditInstrumentByte(276, &current.bankLSB); return 0;
    case 'E': EditInstrumentByte(300, &current.program); return 0;
    case VK_F1: StopAndReset(); return 0;
    case VK_F2: ResetAllChannels(); return 0;
    case VK_F3: ReleaseAllNotes(); return 0;
    case VK_F4: RewindAndPlay(); return 0;
    case VK_F5: TogglePlayback(); return 0;
    case VK_F6: CycleSkin(); return 0;
    case VK_F7:
      if (f7StartsRecording) ToggleRecording();
      return 0;
    default: break;
  }
  if (virtualKey >= '0' && virtualKey <= '9') {
    SelectChannelByDigit(virtualKey);
    return 0;
  }
  const int offset = FindNoteKeyOffset(virtualKey);
  if (offset >= 0) PlayNoteKey(TRUE, offset);
  return 0;
}

void RememberHeldNoteKeys() {
  for (int i = 0; i < NOTE_KEY_COUNT; i++) {
    noteKeyHeld[i] = (GetKeyState(NoteKeyTable[i].virtualKey) & 0x8000) != 0;
  }
}

void CatchUpReleasedKeys() {
  if (sustainActive && !ShiftHeld()) ReleaseSustained();
  for (int i = 0; i < NOTE_KEY_COUNT; i++) {
    if (!noteKeyHeld[i] || (GetKeyState(NoteKeyTable[i].virtualKey) & 0x8000)) continue;
    noteKeyHeld[i] = FALSE;
    PlayNoteKey(FALSE, NoteKeyTable[i].offset);
  }
}

LRESULT OnKeyUp(WPARAM wParam) {
  const WORD virtualKey = LOWORD(wParam);
  if (virtualKey == VK_SHIFT) {
    ReleaseSustained();
    return 0;
  }
  const int offset = FindNoteKeyOffset(virtualKey);
  if (offset >= 0) PlayNoteKey(FALSE, offset);
  return 0;
}
