// Writes the seed corpus of the SMF fuzz target into the folder given: songs with running
// status, system exclusive, tempo and other meta events, and files cut or bent at the
// places the loader and the reader must survive.
#include <fstream>
#include <string>
#include <vector>

#include "smf/smf_writer.h"
#include "smf/test_songs.h"

using namespace plk::smf;

namespace {

void Write(const std::string& dir, const std::string& name, const Bytes& bytes) {
  std::ofstream(dir + "/" + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string dir = argv[1];
  const Bytes melody = DenseTrackData(64, 1);
  const Bytes conductor =
      TrackData({Tempo(0, 400000), SystemExclusive(10, 0xF0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}),
                 SystemExclusive(20, 0xF7, {0x43}), Tempo(480, 1), Tempo(960, 0)});
  const Bytes full = File(480, {conductor, melody, DenseTrackData(256, 9, true)});
  Write(dir, "song.mid", full);
  Write(dir, "format0.mid", File(96, {melody}, 0));
  Write(dir, "format2.mid", File(0x8000 | 25, {melody, melody}, 2));
  Write(dir, "no_tracks.mid", Header(1, 0, 96));
  Write(dir, "truncated.mid",
        Bytes(full.begin(), full.begin() + static_cast<long>(full.size() * 2 / 3)));
  Write(dir, "more_announced.mid", Header(1, 65535, 96) + Chunk("MTrk", melody));
  Write(dir, "other_chunk.mid", Header(1, 2, 96) + Chunk("MTrk", melody) + Chunk("XFIH", melody));
  Write(dir, "system.mid", File(96, {Bytes{0x00, 0xF1, 0x11, 0x00, 0x12, 0x00, 0xF2, 0x01, 0x02,
                                           0x00, 0x03, 0x04, 0x00, 0xF3, 0x05, 0x00, 0xF4, 0x00,
                                           0xF8, 0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0xC8, 0x40}}));
  Write(dir, "long_lengths.mid",
        File(96, {Bytes{0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x02}}));
  return 0;
}
