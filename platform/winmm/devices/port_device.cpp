// Implements: the "port" MIDI device through RtMidi, on the ALSA sequencer or else a JACK
// server (rtmidi_ports.h): "port" opens a virtual output port named "Plinkaro" that other
// programs connect to; "port:NAME" connects to the first output port whose name contains
// NAME; a port that the device list names is opened by that name exactly. Short and long
// messages go out as they are; midiOutReset, and midiOutClose before the port goes, send a
// note-off for every note still sounding and sustain off on all 16 channels, as Windows'
// reset does, so nothing hangs on an external synthesizer.
// Does not implement: reconnecting when the other end goes away.
#include <memory>
#include <string>

#include "winmm/active_notes.h"
#include "winmm/midi_device.h"
#include "winmm/midi_message.h"
#include "winmm/rtmidi_ports.h"
#include "winmm/sound_library_logs.h"

namespace plk::winmm {
namespace {

class PortDevice final : public MidiDevice {
 public:
  explicit PortDevice(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
    // Errors while sending (the other end gone) are dropped, as a send to a missing
    // device is on Windows.
    out_->setErrorCallback([](RtMidiError::Type, const std::string&, void*) {});
  }
  ~PortDevice() override { Reset(); }
  PortDevice(const PortDevice&) = delete;
  PortDevice& operator=(const PortDevice&) = delete;

  void ShortMessage(DWORD message) override {
    notes_.Observe(message);
    Send(message);
  }

  void LongMessage(const BYTE* data, std::size_t size) override {
    // An escaped packet (0xF7 first) carries raw bytes to send after its marker.
    if (size > 0 && data[0] == 0xF7) {
      ++data;
      --size;
    }
    if (size == 0) return;
    out_->sendMessage(data, size);
  }

  void Reset() override {
    for (DWORD message : notes_.TakeResetMessages()) Send(message);
  }

 private:
  void Send(DWORD message) {
    if ((message & 0x80) == 0) return;  // no status byte: nothing a port could take
    const unsigned char bytes[3] = {static_cast<unsigned char>(message),
                                    static_cast<unsigned char>(message >> 8),
                                    static_cast<unsigned char>(message >> 16)};
    out_->sendMessage(bytes, ShortMessageLength(bytes[0]));
  }

  std::unique_ptr<RtMidiOut> out_;
  ActiveNotes notes_;
};

// Throws RtMidiError; false with why when no port has NAME in its name.
bool OpenPort(RtMidiOut& out, std::string_view name, std::string& why) {
  if (name.empty()) {
    out.openVirtualPort(kOutputPortName);
    return true;
  }
  const auto port = FindPort(out, name, "output port", why);
  if (port) out.openPort(*port, kOutputPortName);
  return port.has_value();
}

}  // namespace

std::unique_ptr<MidiDevice> OpenListedPortDevice(RtMidi::Api api, const std::string& portName,
                                                 std::string& whyNot) {
  QuietSoundLibraries();
  MutedStandardError muted;
  try {
    auto out = std::make_unique<RtMidiOut>(api, kOutputPortName);
    const auto port = FindListedPort(*out, portName);
    if (port) {
      out->openPort(*port, kOutputPortName);
      return std::make_unique<PortDevice>(std::move(out));
    }
    whyNot = "the MIDI output port \"" + portName + "\" is gone";
  } catch (const RtMidiError& error) {
    whyNot = "cannot open the MIDI output port \"" + portName + "\": " + error.getMessage();
  }
  return nullptr;
}

std::unique_ptr<MidiDevice> OpenPortDevice(std::string_view argument, std::string& whyNot) {
  std::unique_ptr<RtMidiOut> out;
  std::string reasons;
  const bool opened = OpenWithPortApis(
      [&](RtMidi::Api api, std::string& why) {
        auto port = std::make_unique<RtMidiOut>(api, kOutputPortName);
        if (!OpenPort(*port, argument, why)) return false;
        out = std::move(port);
        return true;
      },
      reasons);
  if (!opened) {
    whyNot = "cannot open a MIDI output port (" + reasons + "): " + kStartAPortSystem +
             ", connect the device, or set PLINKARO_MIDI_OUT=synth";
    return nullptr;
  }
  return std::make_unique<PortDevice>(std::move(out));
}

}  // namespace plk::winmm
