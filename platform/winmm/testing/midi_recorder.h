// A test seam: an in-memory MIDI device behind the mapper that records every call in the
// text form of the log device, without the time ("open", "short 90 3c 7f", "reset", ...).
#pragma once

#include <string>
#include <vector>

namespace plk::winmm::testing {

class MidiRecorder {
 public:
  // Routes MIDI_MAPPER opens to this recorder until it is destroyed.
  MidiRecorder();
  ~MidiRecorder();
  MidiRecorder(const MidiRecorder&) = delete;
  MidiRecorder& operator=(const MidiRecorder&) = delete;

  // Every call recorded so far, in order; Take() also forgets them.
  std::vector<std::string> Calls() const;
  std::vector<std::string> Take();
  // Makes the next opens fail, as a device that cannot start.
  void FailOpens(bool fail);
};

// Adds a call to the recording, as other test seams report theirs.
void RecordMidiCall(std::string call);

}  // namespace plk::winmm::testing
