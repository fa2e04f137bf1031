#include "record/take_recovery.h"

#include "common/program_globals.h"
#include "record/take_file.h"
#include "song/smf_writer.h"
#include "song/track_reader.h"

#include <new>

namespace {

#define RECOVERED_COPY_LIMIT 9999
#define CHANNELS 16
#define NOTES 128

// What is held at the point the events stop.
struct HeldState {
  BYTE notes[CHANNELS][NOTES];  // note-ons not yet ended
  BOOL pedal[CHANNELS];
};

BOOL TakeHeader(const BYTE* file, DWORD size) {
  static const BYTE header[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
  if (size < TAKE_TRACK_START) return FALSE;
  for (DWORD i = 0; i < sizeof header; i++) {
    if (file[i] != header[i]) return FALSE;
  }
  return file[14] == 'M' && file[15] == 'T' && file[16] == 'r' && file[17] == 'k';
}

void NoteChannelMessage(HeldState& held, const BYTE* message) {
  const BYTE kind = message[0] & 0xF0, ch = message[0] & 0x0F;
  if (kind == 0x90 && message[2] > 0) {
    if (held.notes[ch][message[1]] < 255) held.notes[ch][message[1]]++;
  } else if (kind == 0x80 || kind == 0x90) {
    if (held.notes[ch][message[1]] > 0) held.notes[ch][message[1]]--;
  } else if (kind == 0xB0 && message[1] == 0x40) {
    held.pedal[ch] = message[2] >= 64;
  } else if (kind == 0xB0 && message[1] == 0x7B) {
    for (BYTE& count : held.notes[ch]) count = 0;
  }
}

// The bytes after a status that carry a length: the length and the data must both be there.
DWORD LengthEventSize(const BYTE* at, DWORD available) {
  DWORD count = 0;
  const DWORD length = DecodeVarLen(at, available, &count);
  if (!count || length > available - count) return 0;
  return count + length;
}

// The size of the event at `at` (its delta time included), 0 when it is cut off or is not
// an event this program writes. `ended` tells of the end of the track.
DWORD EventSize(const BYTE* at, DWORD available, HeldState& held, BOOL* ended) {
  DWORD deltaBytes = 0;
  DecodeVarLen(at, available, &deltaBytes);
  if (!deltaBytes || deltaBytes >= available) return 0;
  const BYTE* event = at + deltaBytes;
  const DWORD left = available - deltaBytes;
  const BYTE status = event[0];
  if (status == 0xFF) {
    const DWORD rest = left > 2 ? LengthEventSize(event + 2, left - 2) : 0;
    if (!rest) return 0;
    *ended = event[1] == 0x2F;
    return deltaBytes + 2 + rest;
  }
  if (status == 0xF0 || status == 0xF7) {
    const DWORD rest = LengthEventSize(event + 1, left - 1);
    return rest ? deltaBytes + 1 + rest : 0;
  }
  if (status < 0x80) return 0;
  const DWORD length = ChannelMessageLength(status);
  if (length > left) return 0;
  for (DWORD i = 1; i < length; i++) {
    if (event[i] & 0x80) return 0;
  }
  if (length == 3) NoteChannelMessage(held, event);
  return deltaBytes + length;
}

DWORD PutEvent(BYTE* tail, BYTE status, BYTE data1, BYTE data2) {
  tail[0] = 0;  // at once
  tail[1] = status;
  tail[2] = data1;
  tail[3] = data2;
  return 4;
}

DWORD PutReleases(const HeldState& held, BYTE* tail) {
  DWORD length = 0;
  for (int ch = 0; ch < CHANNELS; ch++) {
    for (int note = 0; note < NOTES; note++) {
      if (held.notes[ch][note]) length += PutEvent(tail + length, BYTE(0x80 | ch), BYTE(note), 0);
    }
    if (held.pedal[ch]) length += PutEvent(tail + length, BYTE(0xB0 | ch), 0x40, 0);
  }
  tail[length] = 0;
  return length + 1 + WriteEndOfTrack(tail + length + 1);
}

// The whole file, when it is small enough; null otherwise.
BYTE* ReadWholeFile(HANDLE file, DWORD* size) {
  DWORD high = 0;
  *size = GetFileSize(file, &high);
  if (*size == INVALID_FILE_SIZE || high || *size > RECOVERY_FILE_LIMIT) return nullptr;
  BYTE* bytes = new (std::nothrow) BYTE[*size + 1];
  DWORD read = 0;
  if (bytes && ReadFile(file, bytes, *size, &read, nullptr) && read == *size) return bytes;
  delete[] bytes;
  return nullptr;
}

// Cuts the file after its complete events and appends the tail.
BOOL CompleteInPlace(HANDLE file) {
  DWORD size = 0;
  BYTE* bytes = ReadWholeFile(file, &size);
  if (!bytes) return FALSE;
  static BYTE tail[RECOVERY_TAIL_SIZE];
  DWORD tailLength = 0;
  const DWORD cut = CompleteTakeTrack(bytes, size, tail, &tailLength);
  delete[] bytes;
  DWORD written = 0;
  return cut && SetFilePointer(file, LONG(cut), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         WriteFile(file, tail, tailLength, &written, nullptr) && written == tailLength &&
         SetEndOfFile(file) && WriteTakeTrackLength(file, cut + tailLength - TAKE_TRACK_START) &&
         FlushFileBuffers(file);
}

// `partPath` without ".part", then -recovered, the copy number after the first, .mid.
BOOL MakeRecoveredPath(char* path, LPCSTR partPath, DWORD copy) {
  const int stem = lstrlenA(partPath) - 5;
  if (stem <= 0 || stem + 24 >= MAX_PATH) return FALSE;
  lstrcpynA(path, partPath, stem + 1);
  char suffix[24];
  if (copy > 1) {
    wsprintfA(suffix, "-recovered-%lu.mid", copy);
  } else {
    lstrcpyA(suffix, "-recovered.mid");
  }
  lstrcatA(path, suffix);
  return TRUE;
}

BOOL MoveToRecoveredName(LPCSTR partPath, char* recoveredPath) {
  for (DWORD copy = 1; copy <= RECOVERED_COPY_LIMIT; copy++) {
    if (!MakeRecoveredPath(recoveredPath, partPath, copy)) return FALSE;
    if (MoveFileA(partPath, recoveredPath)) return TRUE;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return FALSE;
  }
  return FALSE;
}

}  // namespace

DWORD CompleteTakeTrack(const BYTE* file, DWORD size, BYTE* tail, DWORD* tailLength) {
  *tailLength = 0;
  if (!TakeHeader(file, size)) return 0;
  static HeldState held;
  held = HeldState{};
  DWORD at = TAKE_TRACK_START;
  BOOL ended = FALSE;
  while (!ended && at < size) {
    const DWORD eventSize = EventSize(file + at, size - at, held, &ended);
    if (!eventSize) break;
    at += eventSize;
  }
  if (!ended) *tailLength = PutReleases(held, tail);
  return at;
}

BOOL RecoverTakeFile(LPCSTR partPath, char* recoveredPath) {
  HANDLE file = CreateFileA(partPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  const BOOL completed = CompleteInPlace(file);
  // Closed before the move: Windows does not rename a file that is open.
  if (!CloseHandle(file) || !completed) return FALSE;
  return MoveToRecoveredName(partPath, recoveredPath);
}

DWORD RecoverTakesIn(LPCSTR folder, char* lastPath) {
  char pattern[MAX_PATH];
  const int length = lstrlenA(folder);
  if (length + 16 >= MAX_PATH) return 0;
  const BOOL separate = length > 0 && folder[length - 1] != '\\' && folder[length - 1] != '/';
  const char separator[] = {PATH_SEPARATOR, '\0'};
  lstrcpyA(pattern, folder);
  if (separate) lstrcatA(pattern, separator);
  const int stem = lstrlenA(pattern);
  lstrcatA(pattern, "plinkaro-*.part");
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  DWORD count = 0;
  do {
    char path[MAX_PATH];
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ||
        stem + lstrlenA(found.cFileName) >= MAX_PATH) {
      continue;
    }
    lstrcpynA(path, pattern, stem + 1);
    lstrcatA(path, found.cFileName);
    if (RecoverTakeFile(path, lastPath)) count++;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}
