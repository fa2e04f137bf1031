// The dense song of the playback benchmark, and how late the real program sent it.
//   song_log_lateness write DIR     writes DIR/dense.mid (16 tracks, one per channel: a
//                                   program change, then a note-on or a note-off every
//                                   0.5 ms for 10 s, 320,016 messages in all) and its ideal
//                                   schedule DIR/schedule.txt ("micros channel call")
//                                   and DIR/ordinary.mid with DIR/ordinary.txt: 16 s of
//                                   a band on 16 channels at 120 beats a minute (drums,
//                                   bass, chords under the sustain pedal, a melody, pads
//                                   with expression swells), 4,610 messages
//   song_log_lateness check SCHEDULE LOG FIRST_LINE
//                                   compares the MIDI log from FIRST_LINE (1-based) with
//                                   the schedule: every message once and in order per
//                                   channel, then the lateness of each against the schedule,
//                                   counted from the earliest message's offset (so the best
//                                   delivery is 0): p50, p99 and max, the max of the messages
//                                   due after the song's first instant, and how many came
//                                   later than 2 ms. Exit code 1 when a message is missing,
//                                   extra or out of order.
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

// A deterministic stand-in for a player's choices.
class Choices {
 public:
  std::uint32_t Next(std::uint32_t below) {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) % below;
  }

 private:
  std::uint32_t state_ = 12345;
};

class OrdinaryTrack {
 public:
  explicit OrdinaryTrack(std::uint8_t channel) : channel_(channel) {
    // Program 0, as the channel already has: the rows look the same before and after.
    Add(0, {static_cast<std::uint8_t>(0xC0 | channel), 0}, 1);
  }
  void Note(std::uint32_t tick, std::uint32_t length, std::uint8_t key, std::uint8_t velocity) {
    Add(tick, {static_cast<std::uint8_t>(0x90 | channel_), key, velocity}, 2);
    // A release sorts before a start at the same tick.
    Add(tick + length, {static_cast<std::uint8_t>(0x80 | channel_), key, 0x40}, 0);
  }
  void Control(std::uint32_t tick, std::uint8_t number, std::uint8_t value) {
    Add(tick, {static_cast<std::uint8_t>(0xB0 | channel_), number, value}, 1);
  }
  std::vector<Event> Events() {
    std::stable_sort(timed_.begin(), timed_.end(), [](const Timed& a, const Timed& b) {
      return a.event.tick != b.event.tick ? a.event.tick < b.event.tick : a.rank < b.rank;
    });
    std::vector<Event> events;
    for (const Timed& timed : timed_) events.push_back(timed.event);
    return events;
  }

 private:
  struct Timed {
    Event event;
    int rank;
  };
  void Add(std::uint32_t tick, Bytes bytes, int rank) {
    timed_.push_back({{tick, std::move(bytes)}, rank});
  }
  const std::uint8_t channel_;
  std::vector<Timed> timed_;
};

constexpr std::uint16_t kOrdinaryDivision = 480;
constexpr std::uint32_t kBeat = kOrdinaryDivision;
constexpr std::uint32_t kBars = 8;

std::vector<std::vector<Event>> OrdinaryTracks() {
  Choices choices;
  std::vector<OrdinaryTrack> tracks;
  for (std::uint8_t channel = 0; channel < 16; ++channel) tracks.emplace_back(channel);
  static constexpr std::uint8_t kRoots[] = {45, 41, 48, 43};  // A, F, C, G
  for (std::uint32_t bar = 0; bar < kBars; ++bar) {
    const std::uint32_t start = bar * 4 * kBeat;
    const std::uint8_t root = kRoots[bar % 4];
    for (std::uint32_t eighth = 0; eighth < 8; ++eighth) {
      const std::uint32_t at = start + eighth * kBeat / 2;
      tracks[9].Note(at, 60, 42, 70);                                         // hi-hat
      if (eighth % 4 == 0) tracks[9].Note(at, 60, 36, 110);                   // kick
      if (eighth % 4 == 2) tracks[9].Note(at, 60, 38, 100);                   // snare
      tracks[0].Note(at, kBeat / 2 - 30, eighth % 2 ? root + 12 : root, 90);  // bass
    }
    // Chords on three channels, each a half note under the pedal.
    tracks[1].Control(start, 64, 127);
    tracks[1].Control(start + 4 * kBeat - 10, 64, 0);
    for (std::uint32_t half = 0; half < 2; ++half) {
      for (std::uint8_t voice = 0; voice < 3; ++voice) {
        static constexpr std::uint8_t kTriad[] = {0, 4, 7};
        tracks[1 + voice].Note(start + half * 2 * kBeat, 2 * kBeat - 20,
                               static_cast<std::uint8_t>(root + 24 + kTriad[voice]), 75);
      }
    }
    // A melody of eighths and sixteenths.
    for (std::uint32_t at = start; at < start + 4 * kBeat;) {
      const std::uint32_t step = choices.Next(3) == 0 ? kBeat / 4 : kBeat / 2;
      tracks[4].Note(at, step * 9 / 10, static_cast<std::uint8_t>(root + 36 + choices.Next(12)),
                     static_cast<std::uint8_t>(80 + choices.Next(30)));
      at += step;
    }
    // Pads held through the bar, each swelling with expression every 40 ticks.
    for (std::uint8_t channel : {5, 6, 7, 8, 10, 11, 12, 13, 14, 15}) {
      tracks[channel].Note(start, 4 * kBeat - 20,
                           static_cast<std::uint8_t>(root + 12 + channel % 5 * 2), 60);
      for (std::uint32_t at = start + channel; at < start + 4 * kBeat; at += 40) {
        tracks[channel].Control(at, 11,
                                static_cast<std::uint8_t>(64 + (at - start) * 63 / (4 * kBeat)));
      }
    }
  }
  std::vector<std::vector<Event>> events;
  for (OrdinaryTrack& track : tracks) events.push_back(track.Events());
  return events;
}

void WriteSong(const std::string& path, std::uint16_t division,
               const std::vector<std::vector<Event>>& tracks, const std::string& schedulePath) {
  std::vector<Bytes> data;
  for (const auto& track : tracks) data.push_back(TrackData(track));
  const Bytes file = File(division, data);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  WriteSchedule(schedulePath, Schedule(division, tracks));
}

int Write(const std::string& dir) {
  WriteSong(dir + "/dense.mid", kDivision, DenseTracks(), dir + "/schedule.txt");
  WriteSong(dir + "/ordinary.mid", kOrdinaryDivision, OrdinaryTracks(), dir + "/ordinary.txt");
  return 0;
}

double Percentile(const std::vector<std::int64_t>& sorted, double fraction) {
  return static_cast<double>(sorted[static_cast<std::size_t>(fraction * (sorted.size() - 1))]) /
         1000.0;
}

int Check(const std::string& schedulePath, const std::string& logPath, int firstLine) {
  std::vector<std::int64_t> offsets, scheduled;
  std::string mismatches;
  if (!LoggedOffsets(schedulePath, logPath, firstLine, offsets, mismatches, &scheduled)) {
    std::printf("%s", mismatches.c_str());
    return 1;
  }
  const std::int64_t best = *std::min_element(offsets.begin(), offsets.end());
  std::vector<std::int64_t> afterStart;
  std::size_t over2ms = 0;
  for (std::size_t i = 0; i < offsets.size(); i++) {
    offsets[i] -= best;
    over2ms += offsets[i] > 2000;
    if (scheduled[i] > 0) afterStart.push_back(offsets[i]);
  }
  std::sort(offsets.begin(), offsets.end());
  std::printf("%zu messages, each once and in order; lateness ms: p50 %.3f p99 %.3f max %.3f",
              offsets.size(), Percentile(offsets, 0.5), Percentile(offsets, 0.99),
              static_cast<double>(offsets.back()) / 1000.0);
  // The song's first instant waits for the first timer step, 1 to 2 ms after the start.
  if (!afterStart.empty()) {
    std::printf(
        ", after the first instant %.3f",
        static_cast<double>(*std::max_element(afterStart.begin(), afterStart.end())) / 1000.0);
  }
  std::printf("; %zu later than 2 ms\n", over2ms);
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
