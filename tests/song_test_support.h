// Helpers of the song tests: readers over given bytes, a sink that records what it is
// handed, and song files written to a temporary folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "smf/smf_writer.h"
#include "song/song_state.h"

using plk::smf::Bytes;
using plk::smf::operator+;

// Every event handed to RecordEvent since the last Take, as bytes.
struct SinkRecord {
  static std::vector<Bytes> Take();
};
void RecordEvent(const BYTE* event, DWORD length);

// A reader holding its own copy of `bytes`, with the recording sink.
struct ReaderOver {
  explicit ReaderOver(const Bytes& bytes);
  ~ReaderOver();
  ReaderOver(const ReaderOver&) = delete;
  ReaderOver& operator=(const ReaderOver&) = delete;
  TrackReader reader;
};

// Writes `bytes` to a fresh file and returns its path.
std::string WriteSongFile(const Bytes& bytes, const std::string& name = "song.mid");
// The song state as before any load.
void ResetSongState();
