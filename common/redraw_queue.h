// Redraw commands: how everything that changes the picture reaches the painter.
// Producers on either thread push; the 10 ms window timer drains on the UI thread
// (display/redraw_drain.h).
#pragma once

#include <windows.h>

enum RedrawKind {
  REDRAW_HEADER = 1,  // the header text band of a row
  REDRAW_KEY = 2,     // one key of a row
  REDRAW_ROW = 4,     // header band, then keyboard band
};

struct RedrawCommand {
  DWORD kind;
  DWORD channel;
  DWORD key;
  DWORD spare;
};

#define REDRAW_QUEUE_SIZE 1024

struct RedrawQueue {
  RedrawCommand slots[REDRAW_QUEUE_SIZE];
  DWORD writeIndex;  // commands ever published
  DWORD readIndex;   // commands ever consumed (drawn or discarded)
  // Set when a push was dropped because the queue was full; the next drain then
  // repaints every row, so the picture converges to the true state.
  LONG commandLost;
};

extern RedrawQueue redrawQueue;

DWORD PendingRedraws();
void PushRedraw(DWORD kind, DWORD channel, DWORD key, DWORD spare);
void DiscardRedraws();
