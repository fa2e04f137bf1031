// The devices behind midiIn*. A device is chosen by PLINKARO_MIDI_IN from the input driver
// table (midi_in_drivers.cpp); it hands every message it hears to the sink of the handle it
// was opened for, which calls the program back (midi_in.cpp).
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace plk::winmm {

class MidiInputSink {
 public:
  // One message as it arrived: a short message of up to three bytes, status first (or data
  // bytes that run on the previous status, as on a MIDI cable), or a system-exclusive
  // message, 0xF0 first. Any thread may call it, several at once.
  virtual void Receive(const BYTE* bytes, std::size_t size) = 0;
  // Returns once the callback has been made for every message received so far (for tests
  // and benchmarks); at once when called from the callback.
  virtual void WaitUntilDelivered() = 0;

 protected:
  ~MidiInputSink() = default;
};

// One open input. Once its destructor returns it calls Receive no more.
class MidiInputDevice {
 public:
  virtual ~MidiInputDevice() = default;
  // midiInStart: a device that plays on a schedule of its own starts it here.
  virtual void Start() {}
};

// Opens a device with the text after "name:" (empty when there is none). On failure it
// returns null and puts one sentence into whyNot saying why and what to set.
using MidiInputOpener = std::unique_ptr<MidiInputDevice> (*)(std::string_view argument,
                                                             MidiInputSink& sink,
                                                             std::string& whyNot);

struct MidiInputDriver {
  const char* name;
  MidiInputOpener open;  // null: the setting lists no input device
};

std::span<const MidiInputDriver> MidiInputDrivers();

// The driver name used when PLINKARO_MIDI_IN is unset.
const char* DefaultMidiInputDriverName();

// Tests: while set, midiIn lists one device that this opener opens, whatever
// PLINKARO_MIDI_IN says; an empty function restores the normal choice.
void SetInputOverrideForTesting(
    std::function<std::unique_ptr<MidiInputDevice>(MidiInputSink&)> opener);

}  // namespace plk::winmm
