// Implements: the "virtual" MIDI input, a port named "Plinkaro In" that other programs
// connect to, and "port:NAME", a connection from the first MIDI source whose name contains
// NAME; on the ALSA sequencer or else a JACK server (rtmidi_ports.h).
// Does not implement: following a source that goes away and comes back ("all" does).
#include <memory>
#include <string>

#include "winmm/midi_in_device.h"
#include "winmm/rtmidi_ports.h"

namespace plk::winmm {
namespace {

class PortInputDevice final : public MidiInputDevice {
 public:
  explicit PortInputDevice(std::unique_ptr<RtMidiIn> in) : in_(std::move(in)) {}

 private:
  std::unique_ptr<RtMidiIn> in_;
};

// Opens `in` the way open(in, why) says on the first MIDI system that works.
std::unique_ptr<MidiInputDevice> OpenOnPortApi(MidiInputSink& sink, std::string& whyNot,
                                               bool (*open)(RtMidiIn&, std::string_view,
                                                            std::string&),
                                               std::string_view argument) {
  std::unique_ptr<RtMidiIn> in;
  const bool opened = OpenWithPortApis(
      [&](RtMidi::Api api, std::string& why) {
        auto port = NewInput(api, sink);
        if (!open(*port, argument, why)) return false;
        in = std::move(port);
        return true;
      },
      whyNot);
  return opened ? std::make_unique<PortInputDevice>(std::move(in)) : nullptr;
}

bool OpenVirtual(RtMidiIn& in, std::string_view, std::string&) {
  in.openVirtualPort(kInputPortName);
  return true;
}

bool OpenNamed(RtMidiIn& in, std::string_view name, std::string& why) {
  const auto port = FindPort(in, name, "source", why);
  if (port) in.openPort(*port, kInputPortName);
  return port.has_value();
}

}  // namespace

std::unique_ptr<MidiInputDevice> OpenVirtualInputDevice(std::string_view, MidiInputSink& sink,
                                                        std::string& whyNot) {
  std::string reasons;
  auto device = OpenOnPortApi(sink, reasons, OpenVirtual, "");
  if (!device) {
    whyNot = std::string("cannot open the MIDI input port \"") + kInputPortName + "\" (" + reasons +
             "): " + kStartAPortSystem + ", or set PLINKARO_MIDI_IN=none";
  }
  return device;
}

std::unique_ptr<MidiInputDevice> OpenPortInputDevice(std::string_view argument, MidiInputSink& sink,
                                                     std::string& whyNot) {
  if (argument.empty()) {
    whyNot =
        "PLINKARO_MIDI_IN=port needs a name: set PLINKARO_MIDI_IN=port:NAME (or virtual, or all)";
    return nullptr;
  }
  std::string reasons;
  auto device = OpenOnPortApi(sink, reasons, OpenNamed, argument);
  if (!device) {
    whyNot = "cannot listen to a MIDI source named \"" + std::string(argument) + "\" (" + reasons +
             "): connect the device or start the program, or set PLINKARO_MIDI_IN=all";
  }
  return device;
}

}  // namespace plk::winmm
