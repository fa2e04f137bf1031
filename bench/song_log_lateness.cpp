// The dense song of the playback benchmark, and how late the real program sent it.
//   song_log_lateness write DIR     writes DIR/dense.mid (16 tracks, one per channel: a
//                                   program change, then a note-on or a note-off every
//                                   0.5 ms for 10 s, 320,016 messages in all) and its ideal
//                                   schedule DIR/schedule.txt ("micros channel call")
//   song_log_lateness check SCHEDULE LOG FIRST_LINE
//                                   compares the MIDI log from FIRST_LINE (1-based) with
//                                   the schedule: every message once and in order per
//                                   channel, then the lateness of each against the schedule,
//                                   counted from the earliest message's offset (so the best
//                                   delivery is 0): p50, p99 and max. Exit code 1 when a
//                                   message is missing, extra or out of order.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "smf/midi_log.h"
#include "smf/smf_writer.h"

namespace {

using namespace plk::smf;

constexpr std::uint16_t kDivision = 1000;  // 0.5 ms a tick at the default tempo
constexpr std::uint32_t kTicks = 20000;    // 10 s

std::vector<std::vector<Event>> DenseTracks() {
  std::vector<std::vector<Event>> tracks;
  for (std::uint8_t channel = 0; channel < 16; ++channel) {
    // Program 0, as the channel already has: the rows look the same before and after.
    std::vector<Event> events{{0, {static_cast<std::uint8_t>(0xC0 | channel), 0}}};
    for (std::uint32_t tick = 1; tick <= kTicks; ++tick) {
      // Each note is released one tick after it starts.
      const auto note = static_cast<std::uint8_t>(36 + ((tick - 1) / 2 + channel * 3) % 48);
      const bool on = tick % 2 == 1;
      events.push_back(
          {tick, {static_cast<std::uint8_t>((on ? 0x90 : 0x80) | channel), note, 0x40}});
    }
    tracks.push_back(std::move(events));
  }
  return tracks;
}

int Write(const std::string& dir) {
  const auto tracks = DenseTracks();
  std::vector<Bytes> data;
  for (const auto& track : tracks) data.push_back(TrackData(track));
  const Bytes file = File(kDivision, data);
  std::ofstream(dir + "/dense.mid", std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  WriteSchedule(dir + "/schedule.txt", Schedule(kDivision, tracks));
  return 0;
}

double Percentile(const std::vector<std::int64_t>& sorted, double fraction) {
  return static_cast<double>(sorted[static_cast<std::size_t>(fraction * (sorted.size() - 1))]) /
         1000.0;
}

int Check(const std::string& schedulePath, const std::string& logPath, int firstLine) {
  std::vector<std::int64_t> offsets;
  std::string mismatches;
  if (!LoggedOffsets(schedulePath, logPath, firstLine, offsets, mismatches)) {
    std::printf("%s", mismatches.c_str());
    return 1;
  }
  std::sort(offsets.begin(), offsets.end());
  const std::int64_t best = offsets.front();
  for (std::int64_t& offset : offsets) offset -= best;
  std::printf("%zu messages, each once and in order; lateness ms: p50 %.3f p99 %.3f max %.3f\n",
              offsets.size(), Percentile(offsets, 0.5), Percentile(offsets, 0.99),
              static_cast<double>(offsets.back()) / 1000.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "write" && argc == 3) return Write(argv[2]);
  if (command == "check" && argc == 5) return Check(argv[2], argv[3], std::atoi(argv[4]));
  std::fprintf(stderr, "usage: song_log_lateness write DIR | check SCHEDULE LOG FIRST_LINE\n");
  return 2;
}
