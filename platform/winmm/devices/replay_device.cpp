// Implements: "replay:PATH", a MIDI input that plays the short and long calls of a file in
// the MIDI log's format ("<microseconds> short 90 3c 64", "<microseconds> long f0 ... f7"),
// each at its time after the first midiInStart, in file order; a log's other calls
// ("open", "reset", "close") are passed over, so a log written by PLINKARO_MIDI_OUT=log
// plays back as it was sent. For tests and demonstrations.
// Does not implement: looping, or following a file that grows while it plays.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "winmm/midi_call_format.h"
#include "winmm/midi_in_device.h"

namespace plk::winmm {
namespace {

using Clock = std::chrono::steady_clock;

struct ReplayEvent {
  std::chrono::microseconds time;
  std::vector<BYTE> bytes;
};

class ReplayDevice final : public MidiInputDevice {
 public:
  ReplayDevice(std::vector<ReplayEvent> events, MidiInputSink& sink)
      : events_(std::move(events)), sink_(sink) {}

  ~ReplayDevice() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    wake_.notify_one();
    if (player_.joinable()) player_.join();
  }

  ReplayDevice(const ReplayDevice&) = delete;
  ReplayDevice& operator=(const ReplayDevice&) = delete;

  void Start() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (!player_.joinable()) player_ = std::thread([this] { Play(Clock::now()); });
  }

 private:
  void Play(Clock::time_point start) {
    for (const ReplayEvent& event : events_) {
      {
        std::unique_lock<std::mutex> lock(lock_);
        if (wake_.wait_until(lock, start + event.time, [this] { return stopping_; })) return;
      }
      sink_.Receive(event.bytes.data(), event.bytes.size());
    }
  }

  const std::vector<ReplayEvent> events_;
  MidiInputSink& sink_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread player_;
};

// Every line is "<microseconds> <call>"; false with why at the first line that is not.
bool ReadReplayFile(const std::string& path, std::vector<ReplayEvent>& events, std::string& why) {
  std::ifstream file(path);
  if (!file) {
    why = "cannot read the MIDI replay file " + path + ": check the path in PLINKARO_MIDI_IN";
    return false;
  }
  int number = 0;
  for (std::string line; std::getline(file, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::size_t space = std::min(line.find(' '), line.size());
    long long micros = -1;
    const auto read = std::from_chars(line.data(), line.data() + space, micros);
    const bool timed = read.ec == std::errc() && read.ptr == line.data() + space && micros >= 0 &&
                       space < line.size();
    const auto bytes =
        timed ? ParseMidiCall(std::string_view(line).substr(space + 1)) : std::nullopt;
    if (!bytes) {
      why = "line " + std::to_string(number) + " of the MIDI replay file " + path + " is \"" +
            line + "\", not a call in the MIDI log's format such as \"0 short 90 3c 64\"";
      return false;
    }
    if (!bytes->empty()) events.push_back({std::chrono::microseconds(micros), *bytes});
  }
  return true;
}

}  // namespace

std::unique_ptr<MidiInputDevice> OpenReplayDevice(std::string_view argument, MidiInputSink& sink,
                                                  std::string& whyNot) {
  if (argument.empty()) {
    whyNot = "PLINKARO_MIDI_IN=replay needs a file: set PLINKARO_MIDI_IN=replay:PATH";
    return nullptr;
  }
  std::vector<ReplayEvent> events;
  if (!ReadReplayFile(std::string(argument), events, whyNot)) return nullptr;
  return std::make_unique<ReplayDevice>(std::move(events), sink);
}

}  // namespace plk::winmm
