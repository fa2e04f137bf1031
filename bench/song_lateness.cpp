// Playback lateness through the real periodic timer: a generated song with many tempo
// changes is played into a device that stamps every message with the steady clock, and
// each arrival is compared with the song's ideal schedule (exact integer arithmetic from
// the tempo map). The same song is also stepped offline in exact 1 ms steps, which shows
// how much of the lateness the 1 ms clock itself accounts for.
//
//   song_lateness [--seconds N | --full] [--tempo-changes N] [--tempo-jumps] [--record]
//                 [--percent P] [--jumps]
//
// --full plays ten minutes; the default is 60 s. Tempo changes follow a smooth curve
// between 96 and 150 beats a minute; --tempo-jumps alternates 100 and 150 instead.
// --record plays with a take running (its blocks prepared every 100 ms, as the window's
// timer does) and saves the take at the end.
// --percent plays at that speed (the schedule's times scaled to match). --jumps instead
// measures jumps while the song plays: from the call to the first chased message.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "midi/channel_state.h"
#include "midi/midi_output.h"
#include "midi/take_capture.h"
#include "record/take_file.h"
#include "record/take_save.h"
#include "song/playback_clock.h"
#include "song/smf_loader.h"
#include "song/song_seek.h"
#include "smf/smf_writer.h"
#include "song/song_state.h"
#include "winmm/midi_call_format.h"
#include "winmm/midi_device.h"

namespace {

using plk::smf::Event;
using Clock = std::chrono::steady_clock;

constexpr std::uint16_t kDivision = 480;
constexpr std::uint32_t kNoteSpacingTicks = 4;  // about 4 ms at 120 beats a minute

struct Options {
  std::uint32_t seconds = 60;
  std::uint32_t tempoChanges = 10000;
  bool tempoJumps = false;
  bool record = false;
  std::uint32_t percent = 100;
  bool jumps = false;
};

struct Arrival {
  std::int64_t micros;  // steady clock
  DWORD message;
};

// Stamps each message on arrival; the vector is sized beforehand so no arrival allocates.
class StampingDevice final : public plk::winmm::MidiDevice {
 public:
  explicit StampingDevice(std::vector<Arrival>* arrivals) : arrivals_(arrivals) {}
  void ShortMessage(DWORD message) override {
    const auto now = Clock::now().time_since_epoch();
    arrivals_->push_back(
        {std::chrono::duration_cast<std::chrono::microseconds>(now).count(), message});
  }
  void LongMessage(const BYTE*, std::size_t) override {}
  void Reset() override {}

 private:
  std::vector<Arrival>* arrivals_;
};

// Tempo changes evenly spread over the song; notes on four channels between them.
std::vector<Event> SongEvents(const Options& options) {
  const std::uint32_t ticks = options.seconds * 960;  // 480 ticks a quarter at 120 a minute
  const std::uint32_t tempoSpacing = std::max<std::uint32_t>(1, ticks / options.tempoChanges);
  std::vector<Event> events;
  std::uint32_t tempoIndex = 0;
  for (std::uint32_t tick = 0; tick < ticks; tick++) {
    if (tick % tempoSpacing == 0 && tempoIndex < options.tempoChanges) {
      const double phase = 2 * M_PI * tempoIndex / 250.0;
      const auto micros = options.tempoJumps
                              ? (tempoIndex % 2 ? 400000u : 600000u)
                              : static_cast<std::uint32_t>(500000 + 100000 * std::sin(phase));
      events.push_back(plk::smf::Tempo(tick, micros));
      tempoIndex++;
    }
    if (tick % kNoteSpacingTicks == 0) {
      const auto n = tick / kNoteSpacingTicks;
      const auto channel = static_cast<std::uint8_t>(n % 4);
      const auto note = static_cast<std::uint8_t>(48 + n % 24);
      events.push_back(
          {tick, {static_cast<std::uint8_t>((n % 8 < 4 ? 0x90 : 0x80) | channel), note, 0x40}});
    }
  }
  return events;
}

double Percentile(const std::vector<double>& sorted, double fraction) {
  const auto index = static_cast<std::size_t>(fraction * (sorted.size() - 1) + 0.5);
  return sorted[index];
}

double MeanOf(const std::vector<double>& values, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; i++) sum += values[i];
  return sum / static_cast<double>(to - from);
}

// Lateness in ms of each arrival against the schedule (both in µs from the start);
// prints the figures and returns false when the messages differ from the song's.
bool Report(const char* title, const std::vector<plk::smf::ScheduledMessage>& schedule,
            const std::vector<Arrival>& arrivals, std::int64_t startMicros) {
  if (arrivals.size() != schedule.size()) {
    std::printf("%s: %zu messages arrived, %zu expected\n", title, arrivals.size(),
                schedule.size());
    return false;
  }
  std::vector<double> lateness;
  for (std::size_t i = 0; i < schedule.size(); i++) {
    if (plk::winmm::FormatShortMessage(arrivals[i].message) != schedule[i].call) {
      std::printf("%s: message %zu is %s, expected %s\n", title, i,
                  plk::winmm::FormatShortMessage(arrivals[i].message).c_str(),
                  schedule[i].call.c_str());
      return false;
    }
    const auto ideal = static_cast<std::int64_t>(schedule[i].micros);
    lateness.push_back(static_cast<double>(arrivals[i].micros - startMicros - ideal) / 1000.0);
  }
  // Drift: how much later the last tenth of the song comes than the first tenth.
  const std::size_t tenth = std::max<std::size_t>(1, lateness.size() / 10);
  const double drift =
      MeanOf(lateness, lateness.size() - tenth, lateness.size()) - MeanOf(lateness, 0, tenth);
  std::vector<double> sorted = lateness;
  std::sort(sorted.begin(), sorted.end());
  std::printf("%s: %zu messages, lateness ms: min %.3f p50 %.3f p99 %.3f max %.3f; drift %.3f ms\n",
              title, lateness.size(), sorted.front(), Percentile(sorted, 0.5),
              Percentile(sorted, 0.99), sorted.back(), drift);
  return true;
}

// The clock stepped in exact 1 ms steps without a timer: arrivals stamped with the step.
std::vector<Arrival> SteppedOffline(const plk::smf::Bytes& file, std::size_t expected,
                                    std::uint32_t seconds) {
  std::vector<Arrival> arrivals;
  arrivals.reserve(expected);
  plk::winmm::SetMapperOverrideForTesting(
      [&] { return std::make_unique<StampingDevice>(&arrivals); });
  OpenMidiOutput();
  LoadSmfImage(file.data(), static_cast<DWORD>(file.size()));
  songState.lastTickTime = 0;
  // The device stamps the host clock; the step's time replaces it.
  for (DWORD now = 1; now <= seconds * 4000 && arrivals.size() < expected; now++) {
    const std::size_t before = arrivals.size();
    StepPlaybackClock(now);
    for (std::size_t i = before; i < arrivals.size(); i++) arrivals[i].micros = now * 1000ll;
  }
  CloseMidiOutput();
  ReleaseSong();
  return arrivals;
}

// The take's size and how long its file takes to write, in the temporary folder.
void SaveAndReport(Take* take) {
  char folder[MAX_PATH], path[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const auto start = Clock::now();
  const DWORD error = SaveTakeIn(folder, take, path);
  const double millis = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::printf("take: %lu messages in %lu slots, saved in %.1f ms (error %lu)\n",
              static_cast<unsigned long>(CountTakeMessages(take)),
              static_cast<unsigned long>(CapturedSlotCount(take)), millis,
              static_cast<unsigned long>(error));
  ReleaseTake(take);
  DeleteFileA(path);
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    if (arg == "--full") {
      options.seconds = 600;
    } else if (arg == "--seconds" && i + 1 < argc) {
      options.seconds = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--tempo-changes" && i + 1 < argc) {
      options.tempoChanges = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--tempo-jumps") {
      options.tempoJumps = true;
    } else if (arg == "--record") {
      options.record = true;
    } else if (arg == "--percent" && i + 1 < argc) {
      options.percent = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--jumps") {
      options.jumps = true;
    } else {
      return false;
    }
  }
  return options.seconds > 0 && options.tempoChanges > 0 && options.percent > 0;
}

// Jumps to several places of the playing song: the time from the call to the first message
// the chase sends, on the real timer.
int MeasureJumps(const plk::smf::Bytes& file, std::uint32_t seconds) {
  std::vector<Arrival> arrivals;
  arrivals.reserve(1 << 20);
  plk::winmm::SetMapperOverrideForTesting(
      [&] { return std::make_unique<StampingDevice>(&arrivals); });
  OpenMidiOutput();
  LoadSmfImage(file.data(), static_cast<DWORD>(file.size()));
  timeBeginPeriod(1);
  StartPlayback();
  std::vector<double> millis;
  for (std::uint32_t i = 1; i <= 20; i++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const DWORD target = static_cast<DWORD>(seconds * 1000ull * i / 21);
    const std::size_t before = arrivals.size();
    const auto start = Clock::now();
    JumpSongTo(target);
    const auto call =
        std::chrono::duration_cast<std::chrono::microseconds>(start.time_since_epoch()).count();
    // The chase's first message is the first after the note-offs of the release.
    for (std::size_t k = before; k < arrivals.size(); k++) {
      if ((arrivals[k].message & 0xF0) != 0x80) {
        millis.push_back(static_cast<double>(arrivals[k].micros - call) / 1000.0);
        break;
      }
    }
  }
  StopPlayback();
  timeEndPeriod(1);
  CloseMidiOutput();
  plk::winmm::SetMapperOverrideForTesting(nullptr);
  ReleaseSong();
  std::sort(millis.begin(), millis.end());
  if (millis.empty()) return 1;
  std::printf("jumps: %zu, command to first chased message ms: min %.3f p50 %.3f max %.3f\n",
              millis.size(), millis.front(), Percentile(millis, 0.5), millis.back());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s [--seconds N | --full] [--tempo-changes N] [--tempo-jumps] [--record] "
                 "[--percent P] [--jumps]\n",
                 argv[0]);
    return 2;
  }
  const std::vector<Event> events = SongEvents(options);
  const plk::smf::Bytes file = plk::smf::File(kDivision, {plk::smf::TrackData(events)});
  if (options.jumps) return MeasureJumps(file, options.seconds);
  auto schedule = plk::smf::Schedule(kDivision, {events});
  for (auto& message : schedule) message.micros = message.micros * 100 / options.percent;
  SetPlaybackPercent(options.percent);
  const double songSeconds = static_cast<double>(schedule.back().micros) / 1e6;
  std::printf("song: %u tempo changes (%s), %zu messages, %.1f s at %u %%\n", options.tempoChanges,
              options.tempoJumps ? "jumps 400000/600000" : "smooth 400000..600000", schedule.size(),
              songSeconds, options.percent);

  const auto offline = SteppedOffline(file, schedule.size(), options.seconds);
  bool same = Report("exact 1 ms steps (no timer)", schedule, offline, 0);

  std::vector<Arrival> arrivals;
  arrivals.reserve(schedule.size());
  plk::winmm::SetMapperOverrideForTesting(
      [&] { return std::make_unique<StampingDevice>(&arrivals); });
  OpenMidiOutput();
  if (!LoadSmfImage(file.data(), static_cast<DWORD>(file.size()))) {
    std::fprintf(stderr, "the generated song did not load\n");
    return 1;
  }
  timeBeginPeriod(1);
  if (options.record) StartTake();
  StartPlayback();
  // The clock's zero is the millisecond StartPlayback read from timeGetTime, which counts
  // the same steady clock as the device's stamps.
  const std::int64_t nowMillis =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
          .count();
  const std::int64_t startMicros =
      (nowMillis - static_cast<DWORD>(static_cast<DWORD>(nowMillis) - songState.lastTickTime)) *
      1000;
  const auto end = Clock::now() + std::chrono::duration<double>(songSeconds + 0.5);
  while (Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    PrepareTakeBlocks();
  }
  StopPlayback();
  if (options.record) SaveAndReport(EndTake());
  timeEndPeriod(1);
  CloseMidiOutput();
  plk::winmm::SetMapperOverrideForTesting(nullptr);
  same = Report("periodic timer", schedule, arrivals, startMicros) && same;
  ReleaseSong();
  return same ? 0 : 1;
}
