// Implements: what midiOutGetNumDevs and midiInGetNumDevs list, and under which names: the
// synthesizer as "Synth: " and its soundfont's file name, ports under their own names
// (device_names.h), the merged input as "All MIDI inputs". Each listing call takes a
// snapshot of what there is; device ids refer to the latest snapshot until the next call,
// as a program that lists and then opens expects while devices come and go.
// Does not implement: listing ports of the ALSA sequencer and JACK together; the first
// system that can be reached is the one the ports open on (rtmidi_ports.h).
#include "winmm/device_lists.h"

#include "winmm/device_names.h"
#include "winmm/device_setting.h"
#include "winmm/midi_in_device.h"
#include "winmm/port_directory.h"
#include "winmm/rtmidi_ports.h"
#include "winmm/soundfont_scan.h"

namespace plk::winmm {
namespace {

constexpr const char* kAllInputsName = "All MIDI inputs";

// The ports on the first MIDI system that can be listed; `api` tells which.
std::vector<ListedPort> ReachablePorts(PortDirection direction, RtMidi::Api& api) {
  for (const RtMidi::Api system : ChosenPortApis()) {
    if (auto ports = ListPorts(system, direction)) {
      api = system;
      return *ports;
    }
  }
  return {};
}

template <class Device>
std::vector<Device> WithFittedNames(std::vector<Device> devices) {
  std::vector<std::string> names;
  for (const Device& device : devices) names.push_back(device.name);
  names = FitDeviceNames(names);
  for (std::size_t i = 0; i < devices.size(); ++i) devices[i].name = names[i];
  return devices;
}

}  // namespace

std::vector<ListedOutput> CurrentOutputs() {
  std::vector<ListedOutput> outputs;
  for (const FoundSoundfont& soundfont : FindSoundfonts(SoundfontDirectories())) {
    outputs.push_back({"Synth: " + soundfont.name, soundfont.path, RtMidi::UNSPECIFIED, ""});
  }
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  for (const ListedPort& port : ReachablePorts(PortDirection::kDestination, api)) {
    if (IsOwnPort(port.name)) continue;
    outputs.push_back({PortDisplayName(port.client, port.port), "", api, port.name});
  }
  return WithFittedNames(std::move(outputs));
}

std::vector<ListedInput> CurrentInputs() {
  const DeviceSetting setting = ReadDeviceSetting("PLINKARO_MIDI_IN", DefaultMidiInputDriverName());
  if (setting.name != "all") {
    for (const MidiInputDriver& driver : MidiInputDrivers()) {
      if (setting.name == driver.name && !driver.open) return {};
    }
    // A name that is not in the table is reported when it is opened.
    return WithFittedNames(std::vector<ListedInput>{ConfiguredInput(std::string(setting.text))});
  }
  std::vector<ListedInput> inputs = {ConfiguredInput(kAllInputsName)};
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  for (const ListedPort& port : ReachablePorts(PortDirection::kSource, api)) {
    if (!IsForeignSource(port.name)) continue;
    inputs.push_back({PortDisplayName(port.client, port.port), port.name, api});
  }
  return WithFittedNames(std::move(inputs));
}

}  // namespace plk::winmm
