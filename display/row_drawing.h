// Drawing of the channel rows. Each operation takes a device context of the main window,
// or null to get one itself, and draws in document coordinates (the window origin is set
// to (0, verticalScroll) first).
#pragma once

#include <windows.h>

#include "display/row_layout.h"

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
