// The document that the main window shows: sixteen channel rows, each a header band with
// one line of text above a keyboard band of all 128 notes.
#pragma once

#define ROW_HEIGHT 48
#define HEADER_HEIGHT 16
#define OCTAVE_WIDTH 112
#define DOCUMENT_HEIGHT (16 * ROW_HEIGHT)
