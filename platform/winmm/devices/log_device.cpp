// The "log:PATH" device: one line per call, appended in call order, with the time in
// microseconds since the first open of a log device in this process. The first open
// truncates the file; later opens (after a close) append.
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "winmm/midi_call_format.h"
#include "winmm/midi_device.h"

namespace plk::winmm {
namespace {

using Clock = std::chrono::steady_clock;

struct LogEpoch {
  std::mutex lock;
  bool started = false;
  Clock::time_point start;
};

LogEpoch& Epoch() {
  static LogEpoch epoch;
  return epoch;
}

// Returns true for the first open in the process, which truncates the file.
bool StartEpochOnce() {
  LogEpoch& epoch = Epoch();
  std::lock_guard<std::mutex> guard(epoch.lock);
  if (epoch.started) return false;
  epoch.started = true;
  epoch.start = Clock::now();
  return true;
}

long long MicrosecondsSinceEpoch() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - Epoch().start)
      .count();
}

class LogDevice final : public MidiDevice {
 public:
  explicit LogDevice(std::FILE* file) : file_(file) { Write("open"); }
  ~LogDevice() override {
    Write("close");
    std::fclose(file_);
  }
  LogDevice(const LogDevice&) = delete;
  LogDevice& operator=(const LogDevice&) = delete;

  void ShortMessage(DWORD message) override { Write(FormatShortMessage(message)); }
  void LongMessage(const BYTE* data, std::size_t size) override {
    Write(FormatLongMessage(data, size));
  }
  void Reset() override { Write("reset"); }

 private:
  // Flushed at once: readers follow the file while the program runs.
  void Write(const std::string& call) {
    std::fprintf(file_, "%lld %s\n", MicrosecondsSinceEpoch(), call.c_str());
    std::fflush(file_);
  }

  std::FILE* file_;
};

}  // namespace

std::unique_ptr<MidiDevice> OpenLogDevice(std::string_view argument, std::string& whyNot) {
  if (argument.empty()) {
    whyNot = "PLINKARO_MIDI_OUT=log needs a file: set PLINKARO_MIDI_OUT=log:PATH";
    return nullptr;
  }
  const std::string path(argument);
  const bool first = StartEpochOnce();
  std::FILE* file = std::fopen(path.c_str(), first ? "w" : "a");
  if (!file) {
    whyNot = "cannot write the MIDI log " + path + ": check that its folder exists and is writable";
    return nullptr;
  }
  return std::make_unique<LogDevice>(file);
}

}  // namespace plk::winmm
