// Drawing of the channel rows: each row is a 16-pixel header band with one line of text
// above a 32-pixel keyboard band showing all 128 notes. Each operation takes a device
// context of the main window, or null to get one itself, and draws in document
// coordinates (the window origin is set to (0, verticalScroll) first).
#pragma once

#include <windows.h>

#define ROW_HEIGHT 48
#define HEADER_HEIGHT 16
#define OCTAVE_WIDTH 112
#define DOCUMENT_HEIGHT (16 * ROW_HEIGHT)

struct KeyGeometry {
  LONG x;  // left edge within the drawn octave
  LONG y;  // top edge within the row
  LONG w;
  LONG h;
  LONG srcX;  // the key's released image in the skin
  LONG srcY;
};

extern KeyGeometry KeyGeometryTable[12];
extern char NoteNameTable[12][4];
extern HFONT rowFont;
extern LONG verticalScroll;  // document y at the top of the client area

void FillDrawingTables();
HFONT CreateRowFont();

// Text of the header band into a 64-byte buffer; returns its length.
int FormatKeyName(LONG key, char* name);
int FormatRowHeader(int row, char* line);
// Top-left of a key's cell in document coordinates.
POINT KeyPosition(int row, int key);

void DrawRowHeader(HDC dc, int row);
void DrawKey(HDC dc, int row, int key);
void DrawKeyboardStrip(HDC dc, int row);
void DrawRow(HDC dc, int row);
LRESULT OnPaint();
