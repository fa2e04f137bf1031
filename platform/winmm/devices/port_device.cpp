// Implements: the "port" MIDI device through RtMidi: "port" opens a virtual output port
// named "Plinkaro" that other programs connect to; "port:NAME" connects to the first
// output port whose name contains NAME. Short and long messages go out as they are;
// midiOutReset sends a note-off for every note still sounding and sustain off on all 16
// channels, as Windows does.
// Does not implement: choosing the MIDI system (RtMidi's default order, ALSA then JACK),
// or reconnecting when the other end goes away.
#include <rtmidi/RtMidi.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "winmm/active_notes.h"
#include "winmm/midi_device.h"
#include "winmm/sound_library_logs.h"

namespace plk::winmm {
namespace {

constexpr const char* kPortName = "Plinkaro";

// RtMidi prints its errors on std::cerr before throwing them; the open reports them in
// its own one line instead.
class MutedStandardError {
 public:
  MutedStandardError() : saved_(std::cerr.rdbuf(sink_.rdbuf())) {}
  ~MutedStandardError() { std::cerr.rdbuf(saved_); }
  MutedStandardError(const MutedStandardError&) = delete;
  MutedStandardError& operator=(const MutedStandardError&) = delete;

 private:
  std::ostringstream sink_;
  std::streambuf* saved_;
};

class PortDevice final : public MidiDevice {
 public:
  explicit PortDevice(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
    // Errors while sending (the other end gone) are dropped, as a send to a missing
    // device is on Windows.
    out_->setErrorCallback([](RtMidiError::Type, const std::string&, void*) {});
  }

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

  static std::size_t ShortMessageLength(unsigned char status) {
    switch (status & 0xF0) {
      case 0xC0:
      case 0xD0: return 2;
      case 0xF0:
        if (status == 0xF1 || status == 0xF3) return 2;
        return status == 0xF2 ? 3 : 1;
      default: return 3;
    }
  }

  std::unique_ptr<RtMidiOut> out_;
  ActiveNotes notes_;
};

// Opens the port; throws RtMidiError, or returns false with whyNot for a missing NAME.
bool OpenPort(RtMidiOut& out, std::string_view name, std::string& whyNot) {
  if (name.empty()) {
    out.openVirtualPort(kPortName);
    return true;
  }
  std::vector<std::string> available;
  for (unsigned port = 0; port < out.getPortCount(); ++port) {
    const std::string portName = out.getPortName(port);
    if (portName.find(name) != std::string::npos) {
      out.openPort(port, kPortName);
      return true;
    }
    available.push_back(portName);
  }
  std::string list;
  for (const std::string& portName : available) list += (list.empty() ? "" : ", ") + portName;
  whyNot = "no MIDI output port has \"" + std::string(name) +
           "\" in its name (there are: " + (list.empty() ? "none" : list) +
           "): start the synthesizer or connect the device, or set PLINKARO_MIDI_OUT=port";
  return false;
}

}  // namespace

std::unique_ptr<MidiDevice> OpenPortDevice(std::string_view argument, std::string& whyNot) {
  QuietSoundLibraries();
  MutedStandardError muted;
  try {
    auto out = std::make_unique<RtMidiOut>(RtMidi::UNSPECIFIED, kPortName);
    if (!OpenPort(*out, argument, whyNot)) return nullptr;
    return std::make_unique<PortDevice>(std::move(out));
  } catch (const RtMidiError& error) {
    whyNot = "cannot open a MIDI port (" + error.getMessage() +
             "): the ALSA sequencer (/dev/snd/seq, kernel module snd-seq) or a JACK server is "
             "needed; or set PLINKARO_MIDI_OUT=synth";
    return nullptr;
  }
}

}  // namespace plk::winmm
