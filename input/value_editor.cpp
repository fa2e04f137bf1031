#include "input/value_editor.h"

#include "common/program_globals.h"
#include "display/row_layout.h"
#include "display/scrolling.h"
#include "midi/channel_state.h"

HWND valueEditor = nullptr;
LONG editActive = 0;
void* editTarget = nullptr;
DWORD editWidth = 0;

namespace {

// The channel whose field is open, so that a commit sends that channel's instrument even
// when the current channel changed meanwhile.
LONG editChannel = 0;

// The channel and byte of an instrument field of the channel table, or -1: those bytes
// are shared with the playback thread and go through its atomic accessors.
int InstrumentByteOf(const void* target, LONG* channel) {
  const BYTE* byte = static_cast<const BYTE*>(target);
  for (LONG ch = 0; ch < CHANNEL_COUNT; ch++) {
    const BYTE* word = reinterpret_cast<const BYTE*>(&ChannelTable[ch].instrument);
    if (byte >= word && byte < word + sizeof(DWORD)) {
      *channel = ch;
      return static_cast<int>(byte - word);
    }
  }
  return -1;
}

UINT ReadField(void* target, DWORD width) {
  LONG channel;
  const int byteIndex = width == 1 ? InstrumentByteOf(target, &channel) : -1;
  if (byteIndex >= 0) return (ReadInstrument(channel) >> (8 * byteIndex)) & 0xFF;
  if (width == 1) return *static_cast<BYTE*>(target);
  if (width == 2) return *static_cast<WORD*>(target);
  return *static_cast<DWORD*>(target);
}

void WriteField(void* target, DWORD width, UINT value) {
  LONG channel;
  const int byteIndex = width == 1 ? InstrumentByteOf(target, &channel) : -1;
  if (byteIndex >= 0) {
    WriteInstrumentByte(channel, byteIndex, static_cast<BYTE>(value));
  } else if (width == 1) {
    *static_cast<BYTE*>(target) = static_cast<BYTE>(value);
  } else if (width == 2) {
    *static_cast<WORD*>(target) = static_cast<WORD>(value);
  } else {
    *static_cast<DWORD*>(target) = value;
  }
}

void SetEditorVisible(BOOL visible) {
  const LONG style = GetWindowLongA(valueEditor, GWL_STYLE);
  SetWindowLongA(valueEditor, GWL_STYLE, visible ? style | WS_VISIBLE : style & ~WS_VISIBLE);
}

// Enter, Escape and a click all end an edit the same way: store, then send.
void CommitEditAndSend() {
  if (CommitEdit()) SendInstrument(editChannel, ReadInstrument(editChannel));
}

}  // namespace

void CreateValueEditor(HWND parent, HFONT font) {
  valueEditor = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_NUMBER, 0, 0, 0, 0, parent, nullptr,
                                instance, nullptr);
  SendMessageA(valueEditor, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  editActive = 0;
  editTarget = nullptr;
  editWidth = 0;
}

void DestroyValueEditor() {
  DestroyWindow(valueEditor);
  valueEditor = nullptr;
  editActive = 0;
  editTarget = nullptr;
  editWidth = 0;
}

BOOL BeginEdit(LONG x, LONG y, void* target, DWORD width) {
  CommitEdit();
  editActive = 1;
  SendMessageA(valueEditor, EM_LIMITTEXT, EDIT_MAX_CHARS, 0);
  MoveWindow(valueEditor, x, y - verticalScroll, EDIT_BOX_WIDTH, EDIT_BOX_HEIGHT, TRUE);
  SetEditorVisible(TRUE);
  editTarget = target;
  editWidth = width;
  if (InstrumentByteOf(target, &editChannel) < 0) editChannel = ReadCurrentChannel();
  const int id = GetDlgCtrlID(valueEditor);
  if (width <= 4) {
    SetDlgItemInt(mainWindow, id, ReadField(target, width), FALSE);
  } else {
    SetDlgItemTextA(mainWindow, id, static_cast<LPCSTR>(target));
  }
  SetFocus(valueEditor);
  SendMessageA(valueEditor, EM_SETSEL, 0, -1);
  return TRUE;
}

BOOL CommitEdit() {
  if (!editActive) return 0;
  editActive = 0;
  const int id = GetDlgCtrlID(valueEditor);
  if (editWidth <= 4) {
    UINT value = GetDlgItemInt(mainWindow, id, nullptr, FALSE);
    if (value > EDIT_MAX_VALUE) value = EDIT_MAX_VALUE;
    WriteField(editTarget, editWidth, value);
  } else {
    GetDlgItemTextA(mainWindow, id, static_cast<LPSTR>(editTarget),
                    static_cast<int>(editWidth - 1));
  }
  editTarget = nullptr;
  editWidth = 0;
  SetFocus(mainWindow);
  SetEditorVisible(FALSE);
  RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  return 1;
}

LRESULT OnCommand(WPARAM wParam) {
  const WORD id = LOWORD(wParam);
  // The editor's own notifications carry its id, 0, and must not end the edit.
  if ((id == IDOK || id == IDCANCEL) && HIWORD(wParam) == 0) CommitEditAndSend();
  return 0;
}

LRESULT OnLButtonDown(LPARAM lParam) {
  CommitEditAndSend();
  const DWORD y = HIWORD(lParam);
  const DWORD row = (y + static_cast<DWORD>(verticalScroll)) / ROW_HEIGHT;
  if (row < CHANNEL_COUNT) SelectChannel(static_cast<int>(row));
  return 0;
}
