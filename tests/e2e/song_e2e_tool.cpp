// The end-to-end song test's helper.
//   song_e2e_tool write DIR    writes DIR/song.mid, its ideal schedule DIR/schedule.txt
//                              ("micros channel call" per line) and DIR/broken.mid
//   song_e2e_tool write-long DIR
//                              writes DIR/long.mid: 13 s of one channel's program,
//                              volume, pitch bend and notes, for jumps
//   song_e2e_tool check SCHEDULE LOG FIRST_LINE [TOLERANCE_US]
//                              compares the log from FIRST_LINE (1-based) with the
//                              schedule: every message once, each channel's messages in
//                              order, times within 2 ms (or TOLERANCE_US) of the schedule once the
//                              two are aligned (the median offset). Exit code 1 when messages are
//                              missing, extra or out of order, 3 when only late.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "smf/midi_log.h"
#include "smf/smf_writer.h"

namespace {

using namespace plk::smf;

constexpr std::uint16_t kDivision = 480;

// Three tracks over about three seconds: tempo changes and system exclusive in the
// first, two channels with bank, program and running-status notes in the others.
std::vector<std::vector<Event>> SongTracks() {
  std::vector<Event> conductor{
      SystemExclusive(0, 0xF0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}), Tempo(0, 500000),
      Tempo(960, 400000), SystemExclusive(1200, 0xF7, {0x43, 0x10, 0xF7}), Tempo(1920, 650000)};
  std::vector<Event> melody{{0, {0xB0, 0x00, 0x01}}, {0, {0xB0, 0x20, 0x02}}, {0, {0xC0, 0x05}}};
  std::vector<Event> drums{{0, {0xC9, 0x00}}};
  for (std::uint32_t i = 0; i < 24; i++) {
    const std::uint32_t tick = 10 + i * 120;
    const auto note = static_cast<std::uint8_t>(60 + (i * 5) % 19);
    melody.push_back({tick, {0x90, note, 0x60}});
    melody.push_back({tick + 100, {0x90, note, 0x00}});  // running status, velocity 0
    if (i % 2 == 0) {
      drums.push_back({tick + 7, {0x99, 36, 0x70}});
      drums.push_back({tick + 67, {0x89, 36, 0x40}});
    }
    if (i % 8 == 0) melody.push_back({tick + 50, {0xB0, 0x07, static_cast<std::uint8_t>(100 - i)}});
  }
  auto byTick = [](const Event& a, const Event& b) { return a.tick < b.tick; };
  std::stable_sort(melody.begin(), melody.end(), byTick);
  std::stable_sort(drums.begin(), drums.end(), byTick);
  return {conductor, melody, drums};
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

int Write(const std::string& dir) {
  const auto tracks = SongTracks();
  std::vector<Bytes> data;
  for (const auto& track : tracks) data.push_back(TrackData(track));
  WriteBytes(dir + "/song.mid", File(kDivision, data));
  WriteSchedule(dir + "/schedule.txt", Schedule(kDivision, tracks));
  // Announces two tracks, holds one.
  WriteBytes(dir + "/broken.mid", Header(1, 2, kDivision) + Chunk("MTrk", data[1]));
  return 0;
}

// At 120 beats a minute, 960 ticks a second: state before 10 s, notes on both sides of it.
int WriteLong(const std::string& dir) {
  const std::vector<Event> track{
      {0, {0xC0, 0x05}},           {960, {0xB0, 0x07, 0x64}},   {4800, {0xB0, 0x07, 0x50}},
      {5760, {0xE0, 0x00, 0x50}},  {7680, {0x90, 0x3C, 0x40}},  {10080, {0x90, 0x40, 0x40}},
      {10560, {0x80, 0x40, 0x40}}, {11520, {0x80, 0x3C, 0x40}}, {12480, {0xB0, 0x07, 0x7F}}};
  WriteBytes(dir + "/long.mid", File(kDivision, {TrackData(track)}));
  return 0;
}

int Check(const std::string& schedulePath, const std::string& logPath, int firstLine,
          long long toleranceMicros) {
  std::vector<std::int64_t> offsets;
  std::string mismatches;
  if (!LoggedOffsets(schedulePath, logPath, firstLine, offsets, mismatches)) {
    std::cout << mismatches;
    return 1;
  }
  std::vector<std::int64_t> sorted = offsets;
  std::sort(sorted.begin(), sorted.end());
  const long long median = sorted[sorted.size() / 2];
  long long worst = 0, late = 0;
  for (long long offset : offsets) {
    worst = std::max(worst, std::llabs(offset - median));
    late += std::llabs(offset - median) > toleranceMicros;
  }
  std::cout << offsets.size() << " messages, worst deviation from the schedule " << worst << " us, "
            << late << " beyond " << toleranceMicros << " us\n";
  return worst <= toleranceMicros ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "write" && argc == 3) return Write(argv[2]);
  if (command == "write-long" && argc == 3) return WriteLong(argv[2]);
  if (command == "check" && (argc == 5 || argc == 6)) {
    return Check(argv[2], argv[3], std::atoi(argv[4]), argc == 6 ? std::atoll(argv[5]) : 2000);
  }
  std::cerr << "usage: song_e2e_tool write DIR | write-long DIR | check SCHEDULE LOG FIRST_LINE "
               "[TOLERANCE_US]\n";
  return 2;
}
