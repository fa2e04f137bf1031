// The devices behind the MIDI mapper. A device is chosen by PLINKARO_MIDI_OUT from the
// driver table (midi_drivers.cpp): adding a device is adding a row.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace plk::winmm {

// An instrument that a song will choose: a program change with this bank on a melodic
// channel, or on a drum channel (whose bank the synthesizer ignores).
struct InstrumentChoice {
  bool drum = false;
  int bank = 0;
  int program = 0;
  bool operator==(const InstrumentChoice&) const = default;
};

// One open output. Calls are serialised by midi_out.cpp; a device need not lock.
class MidiDevice {
 public:
  virtual ~MidiDevice() = default;
  // The three low bytes of a short message word, status first.
  virtual void ShortMessage(DWORD message) = 0;
  // A complete long (system-exclusive) message; the device is done with it on return.
  virtual void LongMessage(const BYTE* data, std::size_t size) = 0;
  // Note-off for every sounding note and sustain off on every channel.
  virtual void Reset() = 0;
  // Closed by midiOutClose: a device that can be opened again cheaply silences itself,
  // resets itself to the state of a new device and returns true; midi_out.cpp then keeps
  // it for the next open of the same configuration instead of destroying it.
  virtual bool Park() { return false; }
  // The instruments of a song that the program has read: a device that loads instruments
  // may prepare them before the song needs them.
  virtual void PrepareInstruments(std::span<const InstrumentChoice>) {}
};

// Opens a device with the text after "name:" (empty when there is none). On failure it
// returns null and puts one sentence into whyNot saying why and what to install or set.
using MidiDeviceOpener = std::unique_ptr<MidiDevice> (*)(std::string_view argument,
                                                         std::string& whyNot);

struct MidiDriver {
  const char* name;
  MidiDeviceOpener open;
};

std::span<const MidiDriver> MidiDrivers();

// The driver name used when PLINKARO_MIDI_OUT is unset.
const char* DefaultMidiDriverName();

// Tests: route every MIDI_MAPPER open to this opener instead of PLINKARO_MIDI_OUT;
// an empty function restores the normal choice. A device parked by the previous choice
// is freed.
void SetMapperOverrideForTesting(std::function<std::unique_ptr<MidiDevice>()> opener);

}  // namespace plk::winmm
