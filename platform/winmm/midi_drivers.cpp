// Implements: the table of MIDI output devices that PLINKARO_MIDI_OUT chooses from (synth,
// port, log, none; each lives in devices/) and the default, synth.
// Does not implement: the choice itself (midi_out.cpp reads the variable).
#include "winmm/midi_device.h"

namespace plk::winmm {

std::unique_ptr<MidiDevice> OpenLogDevice(std::string_view argument, std::string& whyNot);
std::unique_ptr<MidiDevice> OpenSynthDevice(std::string_view argument, std::string& whyNot);
std::unique_ptr<MidiDevice> OpenPortDevice(std::string_view argument, std::string& whyNot);
std::unique_ptr<MidiDevice> OpenNoDevice(std::string_view argument, std::string& whyNot);

namespace {

const MidiDriver drivers[] = {
    {"synth", OpenSynthDevice},
    {"port", OpenPortDevice},
    {"log", OpenLogDevice},
    {"none", OpenNoDevice},
};

}  // namespace

std::span<const MidiDriver> MidiDrivers() { return drivers; }

const char* DefaultMidiDriverName() { return "synth"; }

}  // namespace plk::winmm
