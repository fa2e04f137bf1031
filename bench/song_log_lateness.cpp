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
#include <map>
#include <sstream>
#include <string>
#include <vector>

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
  std::ofstream schedule(dir + "/schedule.txt");
  for (const ScheduledMessage& message : Schedule(kDivision, tracks)) {
    schedule << message.micros << ' ' << message.channel << ' ' << message.call << '\n';
  }
  return 0;
}

struct Timed {
  long long micros;
  std::string call;
};

std::string ChannelOf(const std::string& call) {
  const std::string status = call.substr(6, 2);
  return status[0] == 'f' ? "sys" : std::to_string(std::stoi(status.substr(1), nullptr, 16));
}

double Percentile(const std::vector<long long>& sorted, double fraction) {
  return static_cast<double>(sorted[static_cast<std::size_t>(fraction * (sorted.size() - 1))]) /
         1000.0;
}

int Check(const std::string& schedulePath, const std::string& logPath, int firstLine) {
  std::map<std::string, std::vector<Timed>> expected, logged;
  std::ifstream schedule(schedulePath);
  for (std::string line; std::getline(schedule, line);) {
    std::istringstream fields(line);
    Timed timed;
    std::string channel;
    fields >> timed.micros >> channel;
    std::getline(fields >> std::ws, timed.call);
    expected[channel].push_back(timed);
  }
  std::ifstream log(logPath);
  int number = 0;
  for (std::string line; std::getline(log, line);) {
    if (++number < firstLine) continue;
    std::istringstream fields(line);
    Timed timed;
    fields >> timed.micros;
    std::getline(fields >> std::ws, timed.call);
    if (timed.call.rfind("short", 0) == 0) logged[ChannelOf(timed.call)].push_back(timed);
  }
  std::vector<long long> offsets;
  std::size_t expectedCount = 0;
  for (const auto& [channel, messages] : expected) {
    expectedCount += messages.size();
    const auto& got = logged[channel];
    bool same = got.size() == messages.size();
    for (std::size_t i = 0; same && i < messages.size(); ++i)
      same = got[i].call == messages[i].call;
    if (!same) {
      std::printf("channel %s: %zu messages logged, %zu expected, or out of order\n",
                  channel.c_str(), got.size(), messages.size());
      return 1;
    }
    for (std::size_t i = 0; i < messages.size(); ++i) {
      offsets.push_back(got[i].micros - messages[i].micros);
    }
  }
  std::sort(offsets.begin(), offsets.end());
  const long long best = offsets.front();
  for (long long& offset : offsets) offset -= best;
  std::printf("%zu of %zu messages, in order; lateness ms: p50 %.3f p99 %.3f max %.3f\n",
              offsets.size(), expectedCount, Percentile(offsets, 0.5), Percentile(offsets, 0.99),
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
