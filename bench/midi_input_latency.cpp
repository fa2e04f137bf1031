// MIDI input through the whole program path: a message handed to the input as a device
// thread hands it over, through the input's own thread and the channel path, to the
// output device's short-message call, while a painter empties the redraw queue every 10 ms.
// Prints the latency of 100,000 messages sent one at a time (p50, p99, max), then the
// process's CPU time while 1,000 messages a second arrive.
//
//   midi_input_latency [--messages N] [--seconds N]
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/redraw_queue.h"
#include "midi/channel_state.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "winmm/midi_device.h"
#include "winmm/testing/midi_source.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<Clock::rep> arrival{0};

// Stamps each short message as it reaches the device.
class StampingDevice final : public plk::winmm::MidiDevice {
 public:
  void ShortMessage(DWORD) override { arrival.store(Clock::now().time_since_epoch().count()); }
  void LongMessage(const BYTE*, std::size_t) override {}
  void Reset() override {}
};

double CpuSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::vector<BYTE> NoteMessage(int i) {
  return {BYTE((i % 2 ? 0x80 : 0x90) | (i / 2 % 16)), BYTE(48 + i / 32 % 24),
          BYTE(i % 2 ? 0 : 100)};
}

void MeasureLatency(plk::winmm::testing::MidiSource& source, int messages) {
  std::vector<double> micros;
  micros.reserve(messages);
  for (int i = 0; i < messages; ++i) {
    arrival.store(0);
    const Clock::rep sent = Clock::now().time_since_epoch().count();
    source.Play(NoteMessage(i));
    source.Flush();
    micros.push_back(
        std::chrono::duration<double, std::micro>(Clock::duration(arrival - sent)).count());
    if (i % 512 == 0) DiscardRedraws();  // no painter runs here
  }
  std::sort(micros.begin(), micros.end());
  auto at = [&](double fraction) { return micros[std::size_t(fraction * (micros.size() - 1))]; };
  std::printf(
      "input to midiOutShortMsg, %d messages one at a time: p50 %.1f us, p99 %.1f us, "
      "max %.1f us\n",
      messages, at(0.5), at(0.99), micros.back());
}

void MeasureCpu(plk::winmm::testing::MidiSource& source, int seconds) {
  const double before = CpuSeconds();
  const auto start = Clock::now();
  for (int i = 0; i < seconds * 1000; ++i) {
    std::this_thread::sleep_until(start + std::chrono::milliseconds(i));
    source.Play(NoteMessage(i));
  }
  source.Flush();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf(
      "CPU at 1,000 input messages a second over %.1f s: %.2f %% of a core (the "
      "sender's thread included)\n",
      wall, 100 * (CpuSeconds() - before) / wall);
}

}  // namespace

int main(int argc, char** argv) {
  int messages = 100000, seconds = 10;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--messages") == 0) messages = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atoi(argv[i + 1]);
  }
  plk::winmm::SetMapperOverrideForTesting([] { return std::make_unique<StampingDevice>(); });
  plk::winmm::testing::MidiSource source;
  ResetChannelDefaults();
  OpenMidiOutput();
  OpenMidiInputs();
  // The painter's part: every 10 ms the redraw queue is emptied under its lock, as the
  // window's drain does.
  std::atomic<bool> painting{true};
  std::thread painter([&] {
    while (painting) {
      DiscardRedraws();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  MeasureLatency(source, messages);
  MeasureCpu(source, seconds);
  painting = false;
  painter.join();
  CloseMidiInputs();
  CloseMidiOutput();
  return 0;
}
