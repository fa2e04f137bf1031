// The MIDI devices that midiOutGetNumDevs and midiInGetNumDevs list, as snapshots.
#pragma once

#include <windows.h>

#include <rtmidi/RtMidi.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace plk::winmm {

struct ListedOutput {
  std::string name;       // unique, at most kMaxDeviceNameLength characters
  std::string soundfont;  // the synthesizer with this file; empty for a port:
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  std::string port;  // the port's name as RtMidi gives it (port_directory.h)
};

struct ListedInput {
  std::string name;
  // Empty: the device PLINKARO_MIDI_IN names ("all" by default); otherwise this source
  // alone, by its name as RtMidi gives it.
  std::string source;
  RtMidi::Api api = RtMidi::UNSPECIFIED;
};

inline ListedInput ConfiguredInput(std::string name) {
  return {std::move(name), "", RtMidi::UNSPECIFIED};
}

// The synthesizer once for each soundfont found (soundfont_scan.h), then every MIDI output
// port of the first MIDI system that can be reached, except Plinkaro's own.
std::vector<ListedOutput> CurrentOutputs();

// With PLINKARO_MIDI_IN unset or "all": "All MIDI inputs" first, then every source that it
// would listen to; with another setting, the one device that it names (none for "none").
std::vector<ListedInput> CurrentInputs();

// The latest list taken; ids index it until the next is taken.
template <class Device>
class DeviceSnapshot {
 public:
  explicit DeviceSnapshot(std::vector<Device> (*list)()) : list_(list) {}

  UINT Take() {
    std::vector<Device> devices = list_();  // outside the lock: listing asks the MIDI system
    std::lock_guard<std::mutex> guard(lock_);
    devices_ = std::move(devices);
    taken_ = true;
    return static_cast<UINT>(devices_.size());
  }

  // Device `id`, from a list taken now if none was; nullopt past the list's end.
  std::optional<Device> At(UINT id) {
    if (!Taken()) Take();
    std::lock_guard<std::mutex> guard(lock_);
    if (id >= devices_.size()) return std::nullopt;
    return devices_[id];
  }

 private:
  bool Taken() {
    std::lock_guard<std::mutex> guard(lock_);
    return taken_;
  }

  std::vector<Device> (*const list_)();
  std::mutex lock_;
  std::vector<Device> devices_;
  bool taken_ = false;
};

}  // namespace plk::winmm
