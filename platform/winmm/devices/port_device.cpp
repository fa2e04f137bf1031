// Implements: the "port" MIDI device, on the ALSA sequencer through RtMidi or else on a JACK
// server through a client of its own (rtmidi_ports.h chooses): "port" opens a virtual output
// port named "Plinkaro" that other programs connect to; "port:NAME" connects to the first
// port taking MIDI whose name contains NAME; a port that the device list names is opened by
// that name exactly. Short and long messages go out as they are;
// midiOutReset, and midiOutClose before the port goes, send a note-off for every note still
// sounding and sustain off on all 16 channels, as Windows' reset does, so nothing hangs on
// an external synthesizer. A close lets those last messages leave first: RtMidi's ALSA output
// hands each message to the sequencer as it is sent, and the JACK client waits for its ring
// to empty (JackMidiOutput::kDrainLimit at most). On JACK the port follows its server: it
// opens again when a server is back, and connects again to the port it was opened for when
// that comes back.
// Does not implement: reconnecting on the ALSA sequencer when the other end goes away.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "winmm/active_notes.h"
#include "winmm/jack_midi_output.h"
#include "winmm/jack_reconnector.h"
#include "winmm/midi_device.h"
#include "winmm/midi_message.h"
#include "winmm/rtmidi_ports.h"
#include "winmm/sound_library_logs.h"

namespace plk::winmm {
namespace {

// Where a port device's bytes go: one complete message at a time.
class PortWriter {
 public:
  virtual ~PortWriter() = default;
  virtual void Write(const unsigned char* bytes, std::size_t size) = 0;
};

class RtMidiWriter final : public PortWriter {
 public:
  explicit RtMidiWriter(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
    // Errors while sending (the other end gone) are dropped, as a send to a missing
    // device is on Windows.
    out_->setErrorCallback([](RtMidiError::Type, const std::string&, void*) {});
  }
  void Write(const unsigned char* bytes, std::size_t size) override {
    out_->sendMessage(bytes, size);
  }

 private:
  std::unique_ptr<RtMidiOut> out_;
};

// The port's JACK client, opened again when its server comes back, and connected again to
// its destination when that comes back.
class JackWriter final : public PortWriter {
 public:
  // The destination is a listed port's full name (exact), or part of a name, or none.
  JackWriter(std::string destination, bool exact)
      : destination_(std::move(destination)),
        exact_(exact),
        reconnector_([this] { return Reopen(); },
                     destination_.empty() ? std::function<void()>() : [this] { Reconnect(); }) {}
  ~JackWriter() override { reconnector_.Stop(); }

  // The first client; it must find its destination.
  bool Open(std::string& why) {
    auto out = JackMidiOutput::Open(kOutputPortName, why, reconnector_.Handlers());
    if (!out || !Connect(*out, why)) return false;
    std::lock_guard<std::mutex> guard(lock_);
    out_ = std::move(out);
    return true;
  }

  // A message sent while the server is away is lost, as a send to a missing device is on
  // Windows.
  void Write(const unsigned char* bytes, std::size_t size) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (out_) out_->Send(bytes, size);
  }

 private:
  bool Connect(JackMidiOutput& out, std::string& why) {
    if (destination_.empty()) return true;
    std::string port = destination_;
    if (!exact_) {
      const auto destinations = JackMidiOutput::Destinations();
      const auto found = FindPort(destinations, destination_, "output port", why);
      if (!found) return false;
      port = destinations[*found];
    }
    if (out.ConnectTo(port)) return true;
    why = exact_ ? "the MIDI output port \"" + port + "\" is gone"
                 : "the JACK server did not connect to " + port;
    return false;
  }

  // Only the reconnector's thread replaces out_, so it reads it without the lock.
  bool Reopen() {
    std::unique_ptr<JackMidiOutput> dead;
    {
      std::lock_guard<std::mutex> guard(lock_);
      dead = std::move(out_);
    }
    dead.reset();
    std::string why;
    auto out = JackMidiOutput::Open(kOutputPortName, why, reconnector_.Handlers());
    if (!out) return false;
    Connect(*out, why);  // a destination not back yet is connected when it comes
    std::lock_guard<std::mutex> guard(lock_);
    out_ = std::move(out);
    return true;
  }

  void Reconnect() {
    JackMidiOutput* out;
    {
      std::lock_guard<std::mutex> guard(lock_);  // the first Open may be storing it
      out = out_.get();
    }
    std::string why;
    if (out && !out->Connected()) Connect(*out, why);
  }

  const std::string destination_;
  const bool exact_;
  JackReconnector reconnector_;
  std::mutex lock_;
  std::unique_ptr<JackMidiOutput> out_;  // null while the server is away
};

class PortDevice final : public MidiDevice {
 public:
  explicit PortDevice(std::unique_ptr<PortWriter> out) : out_(std::move(out)) {}
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
    out_->Write(data, size);
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
    out_->Write(bytes, ShortMessageLength(bytes[0]));
  }

  std::unique_ptr<PortWriter> out_;
  ActiveNotes notes_;
};

// Throws RtMidiError; false with why when no port has NAME in its name.
bool OpenAlsaPort(RtMidiOut& out, std::string_view name, std::string& why) {
  if (name.empty()) {
    out.openVirtualPort(kOutputPortName);
    return true;
  }
  const auto port = FindPort(out, name, "output port", why);
  if (port) out.openPort(*port, kOutputPortName);
  return port.has_value();
}

std::unique_ptr<PortWriter> OpenWriter(RtMidi::Api api, std::string_view name, std::string& why) {
  if (api != RtMidi::UNIX_JACK) {
    auto out = std::make_unique<RtMidiOut>(api, kOutputPortName);
    if (!OpenAlsaPort(*out, name, why)) return nullptr;
    return std::make_unique<RtMidiWriter>(std::move(out));
  }
  auto out = std::make_unique<JackWriter>(std::string(name), false);
  if (!out->Open(why)) return nullptr;
  return out;
}

// The port a device listing named, by that name exactly; on JACK the listed name is the
// full port name. Throws RtMidiError.
std::unique_ptr<PortWriter> OpenListedWriter(RtMidi::Api api, const std::string& portName,
                                             std::string& why) {
  const std::string gone = "the MIDI output port \"" + portName + "\" is gone";
  if (api != RtMidi::UNIX_JACK) {
    auto out = std::make_unique<RtMidiOut>(api, kOutputPortName);
    const auto port = FindListedPort(*out, portName);
    if (!port) {
      why = gone;
      return nullptr;
    }
    out->openPort(*port, kOutputPortName);
    return std::make_unique<RtMidiWriter>(std::move(out));
  }
  auto out = std::make_unique<JackWriter>(portName, true);
  if (!out->Open(why)) return nullptr;
  return out;
}

}  // namespace

std::unique_ptr<MidiDevice> OpenListedPortDevice(RtMidi::Api api, const std::string& portName,
                                                 std::string& whyNot) {
  QuietSoundLibraries();
  MutedStandardError muted;
  try {
    std::unique_ptr<PortWriter> writer = OpenListedWriter(api, portName, whyNot);
    if (writer) return std::make_unique<PortDevice>(std::move(writer));
  } catch (const RtMidiError& error) {
    whyNot = "cannot open the MIDI output port \"" + portName + "\": " + error.getMessage();
  }
  return nullptr;
}

std::unique_ptr<MidiDevice> OpenPortDevice(std::string_view argument, std::string& whyNot) {
  std::unique_ptr<PortWriter> out;
  std::string reasons;
  const bool opened = OpenWithPortApis(
      [&](RtMidi::Api api, std::string& why) {
        out = OpenWriter(api, argument, why);
        return out != nullptr;
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
