// Implements: the "virtual" MIDI input, a port named "Plinkaro In" that other programs
// connect to, on the ALSA sequencer or else a JACK server (rtmidi_ports.h); on JACK it opens
// again when a server is back. And "port:NAME", a connection from the first MIDI source
// whose name contains NAME, which follows that source as "all" follows every source.
// Does not implement: connections that other programs made to the virtual port coming back
// after a JACK server's restart (they were the other programs', and went with the server).
#include <memory>
#include <mutex>
#include <string>

#include "winmm/jack_midi_input.h"
#include "winmm/jack_reconnector.h"
#include "winmm/midi_in_device.h"
#include "winmm/rtmidi_ports.h"

namespace plk::winmm {

std::unique_ptr<MidiInputDevice> OpenFirstSourceDevice(std::string_view part, MidiInputSink& sink,
                                                       std::string& whyNot);

namespace {

class AlsaVirtualInput final : public MidiInputDevice {
 public:
  explicit AlsaVirtualInput(std::unique_ptr<RtMidiIn> in) : in_(std::move(in)) {}

 private:
  std::unique_ptr<RtMidiIn> in_;
};

class JackVirtualInput final : public MidiInputDevice {
 public:
  explicit JackVirtualInput(MidiInputSink& sink)
      : sink_(sink), reconnector_([this] { return Reopen(); }, {}) {}
  ~JackVirtualInput() override { reconnector_.Stop(); }
  JackVirtualInput(const JackVirtualInput&) = delete;
  JackVirtualInput& operator=(const JackVirtualInput&) = delete;

  bool Open(std::string& why) {
    auto port = OpenJackMidiInput(kInputPortName, sink_, why, reconnector_.Handlers());
    std::lock_guard<std::mutex> guard(lock_);
    port_ = std::move(port);
    return port_ != nullptr;
  }

 private:
  // On the reconnector's thread.
  bool Reopen() {
    std::unique_ptr<JackMidiPort> dead;
    {
      std::lock_guard<std::mutex> guard(lock_);
      dead = std::move(port_);
    }
    dead.reset();
    std::string why;
    return Open(why);
  }

  MidiInputSink& sink_;
  JackReconnector reconnector_;
  std::mutex lock_;
  std::unique_ptr<JackMidiPort> port_;
};

}  // namespace

std::unique_ptr<MidiInputDevice> OpenVirtualInputDevice(std::string_view, MidiInputSink& sink,
                                                        std::string& whyNot) {
  std::unique_ptr<MidiInputDevice> device;
  std::string reasons;
  const bool opened = OpenWithPortApis(
      [&](RtMidi::Api api, std::string& why) {
        if (api == RtMidi::UNIX_JACK) {
          auto in = std::make_unique<JackVirtualInput>(sink);
          if (!in->Open(why)) return false;
          device = std::move(in);
          return true;
        }
        auto in = NewInput(api, sink);
        in->openVirtualPort(kInputPortName);
        device = std::make_unique<AlsaVirtualInput>(std::move(in));
        return true;
      },
      reasons);
  if (!opened) {
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
  auto device = OpenFirstSourceDevice(argument, sink, reasons);
  if (!device) {
    whyNot = "cannot listen to a MIDI source named \"" + std::string(argument) + "\" (" + reasons +
             "): connect the device or start the program, or set PLINKARO_MIDI_IN=all";
  }
  return device;
}

}  // namespace plk::winmm
