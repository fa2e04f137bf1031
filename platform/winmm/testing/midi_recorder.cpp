// Implements: the test seam of an in-memory MIDI device behind the mapper that records
// every call in the log device's text form, without the time, and can refuse opens.
// Does not implement: sound.
#include "winmm/testing/midi_recorder.h"

#include <memory>
#include <mutex>
#include <utility>

#include "winmm/midi_call_format.h"
#include "winmm/midi_device.h"

namespace plk::winmm::testing {
namespace {

struct Recording {
  std::mutex lock;
  std::vector<std::string> calls;
  bool failOpens = false;

  void Add(std::string call) {
    std::lock_guard<std::mutex> guard(lock);
    calls.push_back(std::move(call));
  }
};

Recording& TheRecording() {
  static Recording recording;
  return recording;
}

class RecordingDevice final : public MidiDevice {
 public:
  RecordingDevice() { TheRecording().Add("open"); }
  ~RecordingDevice() override { TheRecording().Add("close"); }
  void ShortMessage(DWORD message) override { TheRecording().Add(FormatShortMessage(message)); }
  void LongMessage(const BYTE* data, std::size_t size) override {
    TheRecording().Add(FormatLongMessage(data, size));
  }
  void Reset() override { TheRecording().Add("reset"); }
};

}  // namespace

void RecordMidiCall(std::string call) { TheRecording().Add(std::move(call)); }

MidiRecorder::MidiRecorder() {
  Take();
  FailOpens(false);
  SetMapperOverrideForTesting([]() -> std::unique_ptr<MidiDevice> {
    {
      std::lock_guard<std::mutex> guard(TheRecording().lock);
      if (TheRecording().failOpens) return nullptr;
    }
    return std::make_unique<RecordingDevice>();
  });
}

MidiRecorder::~MidiRecorder() { SetMapperOverrideForTesting(nullptr); }

std::vector<std::string> MidiRecorder::Calls() const {
  std::lock_guard<std::mutex> guard(TheRecording().lock);
  return TheRecording().calls;
}

std::vector<std::string> MidiRecorder::Take() {
  std::lock_guard<std::mutex> guard(TheRecording().lock);
  return std::exchange(TheRecording().calls, {});
}

void MidiRecorder::FailOpens(bool fail) {
  std::lock_guard<std::mutex> guard(TheRecording().lock);
  TheRecording().failOpens = fail;
}

}  // namespace plk::winmm::testing
