// Implements: the "none" MIDI device: there is none, so midiOutOpen fails as on a machine
// without MIDI.
// Does not implement: anything else, by design.
#include "winmm/midi_device.h"

namespace plk::winmm {

std::unique_ptr<MidiDevice> OpenNoDevice(std::string_view, std::string&) { return nullptr; }

}  // namespace plk::winmm
