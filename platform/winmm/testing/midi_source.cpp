// Implements: the test seam of an in-memory MIDI input source that midiIn lists while a
// MidiSource lives; its messages reach the program's callback on the handle's own thread,
// and its opening and closing are recorded as "in open" and "in close".
// Does not implement: more than one source at a time.
#include "winmm/testing/midi_source.h"

#include <memory>
#include <mutex>

#include "winmm/midi_in_device.h"
#include "winmm/testing/midi_recorder.h"

namespace plk::winmm::testing {
namespace {

std::mutex lock;
MidiInputSink* openSink = nullptr;

class SourceDevice final : public MidiInputDevice {
 public:
  explicit SourceDevice(MidiInputSink& sink) {
    RecordMidiCall("in open");
    std::lock_guard<std::mutex> guard(lock);
    openSink = &sink;
  }
  ~SourceDevice() override {
    {
      std::lock_guard<std::mutex> guard(lock);
      openSink = nullptr;
    }
    RecordMidiCall("in close");
  }
};

}  // namespace

MidiSource::MidiSource() {
  SetInputOverrideForTesting([](MidiInputSink& sink) -> std::unique_ptr<MidiInputDevice> {
    return std::make_unique<SourceDevice>(sink);
  });
}

MidiSource::~MidiSource() { SetInputOverrideForTesting(nullptr); }

// The lock is held while the sink is used, so the device cannot close under the call.
void MidiSource::Play(const std::vector<BYTE>& bytes) {
  std::lock_guard<std::mutex> guard(lock);
  if (openSink) openSink->Receive(bytes.data(), bytes.size());
}

void MidiSource::Flush() {
  std::lock_guard<std::mutex> guard(lock);
  if (openSink) openSink->WaitUntilDelivered();
}

}  // namespace plk::winmm::testing
