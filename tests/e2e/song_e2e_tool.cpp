// The end-to-end song test's helper.
//   song_e2e_tool write DIR    writes DIR/song.mid, its ideal schedule DIR/schedule.txt
//                              ("micros channel call" per line) and DIR/broken.mid
//   song_e2e_tool check SCHEDULE LOG FIRST_LINE TOLERANCE_US
//                              compares the log from FIRST_LINE (1-based) with the
//                              schedule: every message once and each channel's messages in
//                              order (else exit code 1), each within TOLERANCE_US of the
//                              schedule once the two are aligned by the median offset (else 3).
#include "smf/smf_writer.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

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

void Save(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

int Write(const std::string& dir) {
  const auto tracks = SongTracks();
  std::vector<Bytes> data;
  for (const auto& track : tracks) data.push_back(TrackData(track));
  Save(dir + "/song.mid", File(kDivision, data));
  std::ofstream schedule(dir + "/schedule.txt");
  for (const ScheduledMessage& message : Schedule(kDivision, tracks)) {
    schedule << message.micros << ' ' << message.channel << ' ' << message.call << '\n';
  }
  Save(dir + "/broken.mid", Header(1, 2, kDivision) + Chunk("MTrk", data[1]));  // one of two
  return 0;
}

// Times and calls by channel ("0".."15", "sys").
using Timeline = std::map<std::string, std::vector<std::pair<long long, std::string>>>;

std::string ChannelOf(const std::string& call) {  // "short 9c 3c 7f" is on channel 12
  if (call.rfind("short ", 0) != 0 || call[6] == 'f') return "sys";
  return std::to_string(std::stoi(call.substr(7, 1), nullptr, 16));
}

// The schedule ("micros channel call"), or the messages of the MIDI log ("micros call")
// from line `first` on.
Timeline Read(const std::string& path, bool schedule, int first) {
  Timeline timeline;
  std::ifstream in(path);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    long long micros = 0;
    std::string channel, call;
    fields >> micros;
    if (schedule) fields >> channel;
    std::getline(fields >> std::ws, call);
    if (++number < first || (call.rfind("short", 0) != 0 && call.rfind("long", 0) != 0)) continue;
    timeline[schedule ? channel : ChannelOf(call)].emplace_back(micros, call);
  }
  return timeline;
}

int Check(const std::string& schedulePath, const std::string& logPath, int first,
          long long tolerance) {
  const Timeline expected = Read(schedulePath, true, 1);
  Timeline logged = Read(logPath, false, first);
  std::vector<long long> offsets;
  for (const auto& [channel, messages] : expected) {
    const auto& got = logged[channel];
    if (!std::equal(messages.begin(), messages.end(), got.begin(), got.end(),
                    [](const auto& a, const auto& b) { return a.second == b.second; })) {
      std::cout << "channel " << channel << ": " << got.size() << " messages logged, "
                << messages.size() << " expected, or out of order\n";
      return 1;
    }
    for (std::size_t i = 0; i < got.size(); i++)
      offsets.push_back(got[i].first - messages[i].first);
  }
  if (logged.size() != expected.size()) {
    std::cout << "messages on channels the song does not use\n";
    return 1;
  }
  std::vector<long long> sorted = offsets;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  const long long median = sorted[sorted.size() / 2];
  long long worst = 0;
  for (long long offset : offsets) worst = std::max(worst, std::llabs(offset - median));
  std::cout << offsets.size() << " messages, worst deviation from the schedule " << worst
            << " us\n";
  return worst <= tolerance ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "write" && argc == 3) return Write(argv[2]);
  if (command == "check" && argc == 6) {
    return Check(argv[2], argv[3], std::atoi(argv[4]), std::atoll(argv[5]));
  }
  std::cerr << "usage: song_e2e_tool write DIR | check SCHEDULE LOG FIRST_LINE TOLERANCE_US\n";
  return 2;
}
