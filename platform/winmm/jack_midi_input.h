// A JACK client of our own with one MIDI input port whose every message goes to a sink.
#pragma once

#include <memory>
#include <string>

#include "winmm/jack_midi_port.h"
#include "winmm/midi_in_device.h"

namespace plk::winmm {

// A client named `name` with an input port of the same name, active; null with the reason
// in whyNot when no server answers. The sink is called on JACK's process thread and must
// outlive the port. The handlers' process is the input's own.
std::unique_ptr<JackMidiPort> OpenJackMidiInput(const char* name, MidiInputSink& sink,
                                                std::string& whyNot,
                                                JackMidiPort::Handlers handlers = {});

}  // namespace plk::winmm
