// Row drawing that draws nothing, so the queue's own cost can be measured.
#include "display/row_drawing.h"

void DrawRowHeader(HDC, int) {}
void DrawKey(HDC, int, int) {}
void DrawKeyboardStrip(HDC, int) {}
void DrawRow(HDC, int) {}
