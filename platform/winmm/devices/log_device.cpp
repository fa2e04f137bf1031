// Implements: the "log:PATH" device: one line per call, appended in call order, with the
// time in microseconds since the first open of a log device in this process. The first
// open truncates the file; later opens (after a close) append.
// Does not implement: sound; a log shared by several processes.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "priority_inheriting_mutex.h"
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

// NOTE: the lines are written by a thread of the device's own, so that a sender (the
// playback timer) only formats a line into memory; the thread writes and flushes what
// has gathered as soon as it wakes, so a reader following the file sees each line within
// moments.
class LogDevice final : public MidiDevice {
 public:
  explicit LogDevice(std::FILE* file) : file_(file), writer_(&LogDevice::WriteLines, this) {
    Write("open");
  }
  ~LogDevice() override {
    Write("close");
    {
      std::lock_guard<PriorityInheritingMutex> guard(lock_);
      stopping_ = true;
    }
    ready_.notify_one();
    writer_.join();
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
  void Write(const std::string& call) {
    char time[24];
    std::lock_guard<PriorityInheritingMutex> guard(lock_);
    // Stamped under the lock, so that times never fall from one line to the next.
    const int length = std::snprintf(time, sizeof time, "%lld ", MicrosecondsSinceEpoch());
    const bool first = lines_.empty();
    lines_.append(time, static_cast<std::size_t>(length)).append(call).push_back('\n');
    if (first) ready_.notify_one();
  }

  void WriteLines() {
    std::string writing;
    std::unique_lock<PriorityInheritingMutex> guard(lock_);
    for (;;) {
      ready_.wait(guard, [this] { return stopping_ || !lines_.empty(); });
      if (lines_.empty()) return;
      writing.swap(lines_);
      guard.unlock();
      std::fwrite(writing.data(), 1, writing.size(), file_);
      std::fflush(file_);
      writing.clear();
      guard.lock();
    }
  }

  std::FILE* file_;
  // Shared by the playback timer (a sender) and the writer thread.
  PriorityInheritingMutex lock_;
  std::condition_variable_any ready_;
  std::string lines_;
  bool stopping_ = false;
  std::thread writer_;
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
