// Implements: the table of MIDI input devices that PLINKARO_MIDI_IN chooses from (all, port,
// virtual, replay, none; each lives in devices/) and the default, all.
// Does not implement: the choice itself (midi_in.cpp reads the variable).
#include "winmm/midi_in_device.h"

namespace plk::winmm {

std::unique_ptr<MidiInputDevice> OpenAllInputsDevice(std::string_view argument, MidiInputSink& sink,
                                                     std::string& whyNot);
std::unique_ptr<MidiInputDevice> OpenPortInputDevice(std::string_view argument, MidiInputSink& sink,
                                                     std::string& whyNot);
std::unique_ptr<MidiInputDevice> OpenVirtualInputDevice(std::string_view argument,
                                                        MidiInputSink& sink, std::string& whyNot);
std::unique_ptr<MidiInputDevice> OpenReplayDevice(std::string_view argument, MidiInputSink& sink,
                                                  std::string& whyNot);

namespace {

const MidiInputDriver drivers[] = {
    {"all", OpenAllInputsDevice},
    {"port", OpenPortInputDevice},
    {"virtual", OpenVirtualInputDevice},
    {"replay", OpenReplayDevice},
    {"none", nullptr},
};

}  // namespace

std::span<const MidiInputDriver> MidiInputDrivers() { return drivers; }

const char* DefaultMidiInputDriverName() { return "all"; }

}  // namespace plk::winmm
