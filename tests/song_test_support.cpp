#include "song_test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

std::vector<Bytes>& Recorded() {
  static std::vector<Bytes> recorded;
  return recorded;
}

}  // namespace

std::vector<Bytes> SinkRecord::Take() {
  std::vector<Bytes> taken;
  taken.swap(Recorded());
  return taken;
}

void RecordEvent(const BYTE* event, DWORD length) {
  Recorded().emplace_back(event, event + length);
}

ReaderOver::ReaderOver(const Bytes& bytes) {
  reader.ClearTrackReader();
  reader.start = new BYTE[bytes.size() + 1];
  if (!bytes.empty()) std::memcpy(reader.start, bytes.data(), bytes.size());
  reader.length = static_cast<DWORD>(bytes.size());
  reader.cursor = reader.start;
  reader.sink = RecordEvent;
  SinkRecord::Take();
}

ReaderOver::~ReaderOver() { reader.ReleaseTrackReader(); }

std::string WriteSongFile(const Bytes& bytes, const std::string& name) {
  static const std::string folder = [] {
    char pattern[] = "/tmp/plinkaro-song-test.XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  const std::string path = folder + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

void ResetSongState() {
  ReleaseSong();
  songState = {nullptr, 0, 0, DEFAULT_TEMPO_MICROS, 0, 0, 0};
}
