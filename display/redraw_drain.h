// The painter's side of the redraw queue: the 10 ms window timer drains it on the UI thread,
// running for each command the drawing that its kind names.
#pragma once

#include <windows.h>

// Draws one command's part of a row through a device context of the main window.
typedef void (*RedrawOperation)(HDC dc, DWORD channel, DWORD key);

struct RedrawHandler {
  DWORD kind;
  RedrawOperation draw;
};

#define REDRAW_KIND_COUNT 3
// REDRAW_HEADER, REDRAW_KEY and REDRAW_ROW run DrawRowHeader, DrawKey and DrawRow; a kind
// that is not listed is skipped.
extern RedrawHandler RedrawHandlerTable[REDRAW_KIND_COUNT];

void DrainRedraws();
LRESULT OnRedrawTimer();
