#include "song/smf_loader.h"

#include <cstring>
#include <new>

#include "common/shared_word.h"
#include "song/song_dispatch.h"
#include "song/song_map.h"
#include "song/song_state.h"

namespace {

#define SMF_HEADER_SIZE 14
#define CHUNK_HEADER_SIZE 8

DWORD ReadBigEndian16(const BYTE* bytes) { return DWORD(bytes[0]) << 8 | bytes[1]; }

DWORD ReadBigEndian32(const BYTE* bytes) {
  return DWORD(bytes[0]) << 24 | DWORD(bytes[1]) << 16 | DWORD(bytes[2]) << 8 | bytes[3];
}

BOOL CreateReaders(DWORD count) {
  songState.readers = count ? new (std::nothrow) TrackReader[count] : nullptr;
  if (count && !songState.readers) return FALSE;
  songState.trackCount = count;
  for (DWORD i = 0; i < count; i++) {
    songState.readers[i].ClearTrackReader();
    songState.readers[i].sink = DispatchSongEvent;
  }
  return TRUE;
}

BOOL CopyTrack(TrackReader& reader, const BYTE* bytes, DWORD length) {
  reader.ReleaseTrackReader();
  // NOTE: one byte at least, so that an empty track still counts as a track held.
  BYTE* copy = new (std::nothrow) BYTE[length ? length : 1];
  if (!copy) return FALSE;
  std::memcpy(copy, bytes, length);
  reader.start = copy;
  reader.cursor = copy;
  reader.length = length;
  return TRUE;
}

// Chunks and lengths that run past the end of the image end the load at that track,
// exactly as a chunk of the wrong type would.
BOOL LoadTracks(const BYTE* image, DWORD size) {
  DWORD position = SMF_HEADER_SIZE;
  for (DWORD i = 0; i < songState.trackCount; i++) {
    if (size - position < CHUNK_HEADER_SIZE) return FALSE;
    const BYTE* chunk = image + position;
    if (std::memcmp(chunk, "MTrk", 4) != 0) return FALSE;
    const DWORD length = ReadBigEndian32(chunk + 4);
    if (length > size - position - CHUNK_HEADER_SIZE) return FALSE;
    if (!CopyTrack(songState.readers[i], chunk + CHUNK_HEADER_SIZE, length)) return FALSE;
    position += CHUNK_HEADER_SIZE + length;
  }
  return TRUE;
}

BOOL LoadSongImage(const BYTE* image, DWORD size) {
  ReleaseSong();
  // A file too short for its header counts as one without a header.
  if (size < SMF_HEADER_SIZE || std::memcmp(image, "MThd", 4) != 0) return FALSE;
  if (!CreateReaders(ReadBigEndian16(image + 10))) return FALSE;
  songState.ticksPerQuarter = ReadBigEndian16(image + 12);
  if (!LoadTracks(image, size)) return FALSE;
  songState.tickAccumulator = 0;
  songState.tempoMicros = DEFAULT_TEMPO_MICROS;
  return TRUE;
}

}  // namespace

// Whatever part of a file was read is mapped, so positions and jumps work on what plays.
BOOL LoadSmfImage(const BYTE* image, DWORD size) {
  const BOOL loaded = LoadSongImage(image, size);
  BuildSongMap();
  InterlockedExchange(SharedWord(&songTick), 0);
  return loaded;
}

BOOL LoadSmf(LPCSTR path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  const DWORD size = GetFileSize(file, nullptr);
  BYTE* image = size != INVALID_FILE_SIZE ? new (std::nothrow) BYTE[size ? size : 1] : nullptr;
  DWORD read = 0;
  if (image) ReadFile(file, image, size, &read, nullptr);
  CloseHandle(file);
  // An image that cannot be had fails like a short read: the previous song stays.
  if (!image || read != size) {
    delete[] image;
    return FALSE;
  }
  const BOOL loaded = LoadSmfImage(image, size);
  delete[] image;
  return loaded;
}
