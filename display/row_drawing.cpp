#include "display/row_drawing.h"

#include <cstdio>

#include "common/program_globals.h"
#include "common/spin_flag.h"
#include "display/scrolling.h"
#include "display/skin.h"
#include "midi/channel_mute.h"
#include "midi/channel_state.h"

KeyGeometry KeyGeometryTable[12];
char NoteNameTable[12][4];
HFONT rowFont = nullptr;

namespace {

// The fixed-pitch Japanese gothic face, by its code page 932 name.
const char ROW_FONT_FACE[] = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

// A device context for one drawing operation: the one given, or the main window's own,
// released when the operation ends.
class RowDC {
 public:
  explicit RowDC(HDC given) : dc_(given ? given : GetDC(mainWindow)), owned_(!given) {}
  ~RowDC() {
    if (owned_ && dc_) ReleaseDC(mainWindow, dc_);
  }
  RowDC(const RowDC&) = delete;
  RowDC& operator=(const RowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  bool owned_;
};

HBRUSH RowBrush(int row) {
  return static_cast<HBRUSH>(
      GetStockObject(row == ReadCurrentChannel() ? GRAY_BRUSH : WHITE_BRUSH));
}

// A silenced row's header is tinted, lighter than the current row's gray when it is not
// the current row and darker when it is, so both facts stay visible.
#define SILENCED_HEADER_COLOR RGB(255, 200, 200)
#define SILENCED_CURRENT_HEADER_COLOR RGB(192, 128, 128)

HBRUSH silencedBrush[2] = {nullptr, nullptr};

HBRUSH HeaderBrush(int row) {
  if (!ChannelSilenced(row)) return RowBrush(row);
  const int current = row == ReadCurrentChannel();
  if (!silencedBrush[current]) {
    silencedBrush[current] =
        CreateSolidBrush(current ? SILENCED_CURRENT_HEADER_COLOR : SILENCED_HEADER_COLOR);
  }
  return silencedBrush[current];
}

void FillBand(HDC dc, int row, int top, int height, HBRUSH brush) {
  RECT client;
  GetClientRect(mainWindow, &client);
  RECT band = {client.left, ROW_HEIGHT * row + top, client.right, ROW_HEIGHT * row + top + height};
  FillRect(dc, &band, brush);
}

}  // namespace

void FillDrawingTables() {
  static const LONG keyX[12] = {0, 8, 16, 24, 32, 48, 56, 64, 72, 80, 88, 96};
  static const LONG skinRow[12] = {0, 96, 32, 96, 64, 0, 96, 32, 96, 32, 96, 64};
  static const char* const names[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};
  for (int i = 0; i < 12; i++) {
    KeyGeometryTable[i] = {keyX[i], HEADER_HEIGHT, 16, 32, 0, skinRow[i]};
    std::snprintf(NoteNameTable[i], sizeof NoteNameTable[i], "%s", names[i]);
  }
}

namespace {

// The header's columns and the value editor's boxes assume these character cells.
constexpr LONG ROW_FONT_HEIGHT = 12;
constexpr LONG ROW_FONT_CELL_WIDTH = 6;

HFONT CreateRowFontAs(int width, DWORD pitchAndFamily, LPCSTR face) {
  return CreateFontA(ROW_FONT_HEIGHT, width, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily,
                     face);
}

// Whether the font that the mapper gave lays text out on the row's character cells
// (TMPF_FIXED_PITCH is set for variable-pitch fonts).
BOOL HasRowCells(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return FALSE;
  HGDIOBJ previous = SelectObject(dc, font);
  TEXTMETRICA metrics;
  const BOOL measured = GetTextMetricsA(dc, &metrics);
  SelectObject(dc, previous);
  DeleteDC(dc);
  return measured && !(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) &&
         metrics.tmHeight == ROW_FONT_HEIGHT && metrics.tmAveCharWidth == ROW_FONT_CELL_WIDTH;
}

}  // namespace

HFONT CreateRowFont() {
  HFONT font = CreateRowFontAs(0, DEFAULT_PITCH | FF_DONTCARE, ROW_FONT_FACE);
  if (font && HasRowCells(font)) return font;
  // A system in another language does not know the face by its Japanese name and
  // substitutes a proportional one; any monospaced face keeps the columns.
  HFONT fixed = CreateRowFontAs(ROW_FONT_CELL_WIDTH, FIXED_PITCH | FF_MODERN, nullptr);
  if (!fixed) return font;
  if (font) DeleteObject(font);
  return fixed;
}

int FormatKeyName(LONG key, char* name) {
  return std::snprintf(name, 64, "%s%i", NoteNameTable[key % 12], static_cast<int>(key / 12 - 1));
}

int FormatRowHeader(int row, char* line) {
  char keyName[64];
  FormatKeyName(ChannelTable[row].baseKey, keyName);
  const DWORD instrument = ReadInstrument(row);
  return std::snprintf(line, 64, "Channel = %2u Base key = %4s Instrument = %3u %3u %3u",
                       unsigned(row + 1), keyName, unsigned((instrument >> 16) & 0xFF),
                       unsigned((instrument >> 8) & 0xFF), unsigned(instrument & 0xFF));
}

POINT KeyPosition(int row, int key) {
  // Octave slot 0 is the octave below the base key's; keys further down land at
  // negative x and are clipped.
  const KeyGeometry& g = KeyGeometryTable[key % 12];
  const LONG slot = LONG(unsigned(key) / 12) - LONG(unsigned(ChannelTable[row].baseKey) / 12) + 1;
  return {g.x + slot * OCTAVE_WIDTH, g.y + ROW_HEIGHT * row};
}

void DrawRowHeader(HDC given, int row) {
  RowDC dc(given);
  if (!dc.get()) return;
  SetWindowOrgEx(dc.get(), 0, verticalScroll, nullptr);
  FillBand(dc.get(), row, 0, HEADER_HEIGHT, HeaderBrush(row));
  SetTextColor(dc.get(), RGB(0, 0, 0));
  SetBkColor(dc.get(), RGB(255, 255, 255));
  SetBkMode(dc.get(), TRANSPARENT);
  HGDIOBJ previousFont = SelectObject(dc.get(), rowFont);

  char line[64];
  const int length = FormatRowHeader(row, line);
  TextOutA(dc.get(), 2, ROW_HEIGHT * row + 2, line, length);
  SelectObject(dc.get(), previousFont);
}

void DrawKey(HDC given, int row, int key) {
  // Only MIDI notes have keys; nothing is drawn (or read) for anything else.
  if (key < 0 || key > 127) return;
  RowDC dc(given);
  if (!dc.get()) return;
  const KeyGeometry& g = KeyGeometryTable[key % 12];
  const POINT at = KeyPosition(row, key);
  const int x = at.x;
  const int y = at.y;
  SetWindowOrgEx(dc.get(), 0, verticalScroll, nullptr);
  BitBlt(dc.get(), x, y, g.w, g.h, memoryDC, g.srcX + 2 * g.w, g.srcY, SRCPAINT);
  const int imageX = ReadHeldCount(row, key) ? g.srcX + g.w : g.srcX;
  BitBlt(dc.get(), x, y, g.w, g.h, memoryDC, imageX, g.srcY, SRCAND);
}

void DrawKeyboardStrip(HDC given, int row) {
  RowDC dc(given);
  if (!dc.get()) return;
  SetWindowOrgEx(dc.get(), 0, verticalScroll, nullptr);
  FillBand(dc.get(), row, KeyGeometryTable[0].y, KeyGeometryTable[0].h, RowBrush(row));
  for (int key = 0; key < 128; key++) DrawKey(dc.get(), row, key);
}

void DrawRow(HDC given, int row) {
  RowDC dc(given);
  if (!dc.get()) return;
  DrawRowHeader(dc.get(), row);
  DrawKeyboardStrip(dc.get(), row);
}

LRESULT OnPaint() {
  AcquireSpinFlag(&PaintLock);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(mainWindow, &paint);
  RECT client;
  GetClientRect(mainWindow, &client);
  if (dc) {
    // The whole client area, in device coordinates whatever origin the class DC kept.
    SetWindowOrgEx(dc, 0, 0, nullptr);
    RECT all = {0, 0, client.right - client.left, client.bottom - client.top};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int row = 0; row < 16; row++) DrawRow(dc, row);
  }
  EndPaint(mainWindow, &paint);
  ReleaseSpinFlag(&PaintLock);
  return 0;
}
