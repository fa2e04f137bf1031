// A test seam: while a MidiSource lives, midiIn lists one device, an in-memory source that
// the test plays into. Its messages reach the program's callback on the handle's own
// thread, as a real device's do. Its opening and closing are recorded by the MidiRecorder
// as "in open" and "in close", in order with the output's calls.
#pragma once

#include <windows.h>

#include <vector>

namespace plk::winmm::testing {

class MidiSource {
 public:
  MidiSource();
  ~MidiSource();
  MidiSource(const MidiSource&) = delete;
  MidiSource& operator=(const MidiSource&) = delete;

  // Hands one message to the source opened last, as a device receives it (dropped when
  // none is open); Flush returns once the callbacks for everything played have been made.
  void Play(const std::vector<BYTE>& bytes);
  void Flush();
};

}  // namespace plk::winmm::testing
