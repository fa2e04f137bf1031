// Implements: "all", every MIDI source there is, hardware and software, on the ALSA
// sequencer or else a JACK server (rtmidi_ports.h), except Plinkaro's own ports and
// through ports; sources that appear later are connected within a second, and sources
// that go away are let go (so one that comes back is connected again).
// Does not implement: choosing among the sources (port:NAME does that).
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "winmm/midi_in_device.h"
#include "winmm/rtmidi_ports.h"

namespace plk::winmm {
namespace {

constexpr std::chrono::seconds kRescanPeriod{1};

class AllInputsDevice final : public MidiInputDevice {
 public:
  AllInputsDevice(RtMidi::Api api, std::unique_ptr<RtMidiIn> lister, MidiInputSink& sink)
      : api_(api), lister_(std::move(lister)), sink_(sink) {
    Rescan();
    watcher_ = std::thread([this] { Watch(); });
  }

  ~AllInputsDevice() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    wake_.notify_one();
    watcher_.join();
  }

  AllInputsDevice(const AllInputsDevice&) = delete;
  AllInputsDevice& operator=(const AllInputsDevice&) = delete;

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(lock_);
    while (!wake_.wait_for(lock, kRescanPeriod, [this] { return stopping_; })) {
      lock.unlock();
      Rescan();
      lock.lock();
    }
  }

  // Only the constructor and then the watcher call it, so sources_ needs no lock.
  void Rescan() {
    MutedStandardError muted;
    try {
      std::set<std::string> present;
      for (unsigned port = 0; port < lister_->getPortCount(); ++port) {
        const std::string name = lister_->getPortName(port);
        if (!IsForeignSource(name)) continue;
        present.insert(name);
        if (!sources_.contains(name)) Connect(name);
      }
      std::erase_if(sources_, [&](const auto& source) { return !present.contains(source.first); });
    } catch (const RtMidiError&) {
      // The MIDI system went away; the next rescan tries again.
    }
  }

  // Each source gets an input of its own; it looks the name up itself, since the ports'
  // numbers may have moved since the listing.
  // A source that cannot be opened now is tried again at the next rescan.
  void Connect(const std::string& name) {
    try {
      auto in = NewInput(api_, sink_);
      for (unsigned port = 0; port < in->getPortCount(); ++port) {
        if (in->getPortName(port) != name) continue;
        in->openPort(port, kInputPortName);
        sources_[name] = std::move(in);
        return;
      }
    } catch (const RtMidiError&) {
    }
  }

  const RtMidi::Api api_;
  std::unique_ptr<RtMidiIn> lister_;
  MidiInputSink& sink_;
  std::map<std::string, std::unique_ptr<RtMidiIn>> sources_;

  std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread watcher_;
};

}  // namespace

std::unique_ptr<MidiInputDevice> OpenAllInputsDevice(std::string_view, MidiInputSink& sink,
                                                     std::string& whyNot) {
  std::unique_ptr<MidiInputDevice> device;
  std::string reasons;
  OpenWithPortApis(
      [&](RtMidi::Api api, std::string&) {
        auto lister = std::make_unique<RtMidiIn>(api, kInputPortName);
        lister->setErrorCallback([](RtMidiError::Type, const std::string&, void*) {});
        device = std::make_unique<AllInputsDevice>(api, std::move(lister), sink);
        return true;
      },
      reasons);
  if (!device) {
    whyNot = "cannot listen to MIDI inputs (" + reasons + "): " + kStartAPortSystem +
             ", or set PLINKARO_MIDI_IN=none";
  }
  return device;
}

}  // namespace plk::winmm
