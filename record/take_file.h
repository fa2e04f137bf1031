// A take as a Standard MIDI File: format 0, one track, 500 ticks a quarter note at 500000
// microseconds a quarter, so one tick is one millisecond of the take. The track begins with
// the tempo and every channel's instrument at the start (bank MSB, bank LSB, program).
// The file is written while its take runs: the header with the track's length still 0,
// then the messages as they are filled, then the end of the track and its length.
#pragma once

#include <windows.h>

#include "midi/take_capture.h"

#define TAKE_DIVISION 500
#define TAKE_FILE_BUFFER_SIZE 65536
// Where the track's length is in the file, and where its first event starts.
#define TAKE_TRACK_LENGTH_OFFSET 18
#define TAKE_TRACK_START 22

// One take's file being written; without a file it only counts. Used by one thread at a
// time.
struct TakeStream {
  HANDLE file;     // INVALID_HANDLE_VALUE: count only
  DWORD nextSlot;  // the first slot not written yet
  DWORD length;    // the track's bytes so far
  DWORD used;      // bytes in the buffer
  DWORD messageCount;
  DWORD lastTime;
  BOOL failed;  // a write failed; GetLastError told why at the time
  DWORD error;
  BYTE buffer[TAKE_FILE_BUFFER_SIZE];
};

// The messages of the take that go into its file: every channel message, long message and
// reset. System common and real-time messages (clock, active sensing) have no place in a
// file and are left out.
DWORD CountTakeMessages(const Take* take);

// The file's header and the track's opening, from the take's start.
BOOL BeginTakeStream(TakeStream* stream, HANDLE file, const Take* take);
// Writes the messages after the last written: while the take runs, those already filled
// (up to the first that is not); once it has ended (`whole`), all of them. FALSE once a
// write has failed.
BOOL ContinueTakeStream(TakeStream* stream, const Take* take, BOOL whole);
// The end of the track and its length in the header; the file stays open.
BOOL EndTakeStream(TakeStream* stream);
// The track's length in the header of an open take file; the file pointer ends at its end.
BOOL WriteTakeTrackLength(HANDLE file, DWORD length);
// Writes the whole file of a take that has ended; FALSE when a write fails, with
// GetLastError telling why.
BOOL WriteTakeFile(HANDLE file, const Take* take);
