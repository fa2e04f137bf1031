// Implements: "all", every MIDI source there is, hardware and software, on the ALSA
// sequencer or else a JACK server (rtmidi_ports.h), except Plinkaro's own ports, through
// ports, and the sources that an input of this process opened by their own listed id: those
// reach only that input, so no message arrives twice. Sources that appear later are
// connected within a second, and sources that go away are let go (so one that comes back
// is connected again); a source that its own input lets go is taken back within a second.
// An input opened by a source's listed id follows that one source the same way.
// Does not implement: choosing among the sources by part of a name (port:NAME does that).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "winmm/midi_in_device.h"
#include "winmm/port_directory.h"
#include "winmm/rtmidi_ports.h"

namespace plk::winmm {
namespace {

constexpr std::chrono::seconds kRescanPeriod{1};

using ClaimCount = std::shared_ptr<std::atomic<int>>;

// How many inputs of this process listen to a source by its own id. The table is never
// destroyed: an input left open at exit may still look a source up.
ClaimCount ClaimsOn(const std::string& portName) {
  static std::mutex lock;
  static auto* claims = new std::map<std::string, ClaimCount>;
  std::lock_guard<std::mutex> guard(lock);
  ClaimCount& count = (*claims)[portName];
  if (!count) count = std::make_shared<std::atomic<int>>(0);
  return count;
}

// Passes a source's messages on while no input has claimed it. Checked for each message, so
// that a claim takes effect before the claiming input connects: from then on the message
// reaches only that input, whenever "all" next lets the source go.
class ClaimFilter final : public MidiInputSink {
 public:
  ClaimFilter(MidiInputSink& next, ClaimCount claims) : next_(next), claims_(std::move(claims)) {}
  void Receive(const BYTE* bytes, std::size_t size) override {
    if (!claims_ || claims_->load() == 0) next_.Receive(bytes, size);
  }
  void WaitUntilDelivered() override { next_.WaitUntilDelivered(); }

 private:
  MidiInputSink& next_;
  const ClaimCount claims_;
};

class SourceWatcher final : public MidiInputDevice {
 public:
  // With `only` empty it listens to every foreign source that no input claimed; otherwise
  // to the source of that name alone (port_directory.h), which it claims while it lives.
  SourceWatcher(RtMidi::Api api, MidiInputSink& sink, std::string only)
      : api_(api), sink_(sink), only_(std::move(only)) {
    if (!only_.empty()) {
      claim_ = ClaimsOn(only_);
      ++*claim_;
    }
    Rescan();
    watcher_ = std::thread([this] { Watch(); });
  }

  ~SourceWatcher() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    wake_.notify_one();
    watcher_.join();
    sources_.clear();
    if (claim_) --*claim_;  // once its connection is gone: "all" may take the source back
  }

  SourceWatcher(const SourceWatcher&) = delete;
  SourceWatcher& operator=(const SourceWatcher&) = delete;

 private:
  // The input of one source, closed before the filter it sends through.
  struct Source {
    ClaimFilter filter;
    std::unique_ptr<RtMidiIn> in;
  };

  void Watch() {
    std::unique_lock<std::mutex> lock(lock_);
    while (!wake_.wait_for(lock, kRescanPeriod, [this] { return stopping_; })) {
      lock.unlock();
      Rescan();
      lock.lock();
    }
  }

  bool Wants(const std::string& name) const {
    if (!only_.empty()) return name == only_;
    return IsForeignSource(name) && ClaimsOn(name)->load() == 0;
  }

  // Only the constructor and then the watcher call it, so sources_ needs no lock.
  void Rescan() {
    const auto ports = ListPorts(api_, PortDirection::kSource);
    if (!ports) return;  // the MIDI system went away; the next rescan tries again
    std::set<std::string> wanted;
    for (const ListedPort& port : *ports) {
      if (Wants(port.name)) wanted.insert(port.name);
    }
    std::erase_if(sources_, [&](const auto& source) { return !wanted.contains(source.first); });
    for (const std::string& name : wanted) {
      if (!sources_.contains(name)) Connect(name);
    }
  }

  // Each source gets an input of its own, which finds the port by name itself, since the
  // ports' numbers may have moved since the listing. A source that cannot be opened now is
  // tried again at the next rescan.
  void Connect(const std::string& name) {
    MutedStandardError muted;
    try {
      auto source = std::make_unique<Source>(
          Source{ClaimFilter(sink_, only_.empty() ? ClaimsOn(name) : nullptr), nullptr});
      source->in = NewInput(api_, source->filter);
      const auto port = FindListedPort(*source->in, name);
      if (!port) return;
      source->in->openPort(*port, kInputPortName);
      sources_[name] = std::move(source);
    } catch (const RtMidiError&) {
    }
  }

  const RtMidi::Api api_;
  MidiInputSink& sink_;
  const std::string only_;
  ClaimCount claim_;
  std::map<std::string, std::unique_ptr<Source>> sources_;

  std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread watcher_;
};

// A watcher on the first MIDI system whose ports can be listed.
std::unique_ptr<MidiInputDevice> OpenWatcher(MidiInputSink& sink, const std::string& only,
                                             std::string& reasons) {
  std::unique_ptr<MidiInputDevice> device;
  OpenWithPortApis(
      [&](RtMidi::Api api, std::string& why) {
        if (!ListPorts(api, PortDirection::kSource)) {
          why = "its MIDI ports cannot be listed";
          return false;
        }
        device = std::make_unique<SourceWatcher>(api, sink, only);
        return true;
      },
      reasons);
  return device;
}

}  // namespace

std::unique_ptr<MidiInputDevice> OpenAllInputsDevice(std::string_view, MidiInputSink& sink,
                                                     std::string& whyNot) {
  std::string reasons;
  auto device = OpenWatcher(sink, "", reasons);
  if (!device) {
    whyNot = "cannot listen to MIDI inputs (" + reasons + "): " + kStartAPortSystem +
             ", or set PLINKARO_MIDI_IN=none";
  }
  return device;
}

std::unique_ptr<MidiInputDevice> OpenListedSourceDevice(RtMidi::Api api,
                                                        const std::string& portName,
                                                        MidiInputSink& sink) {
  return std::make_unique<SourceWatcher>(api, sink, portName);
}

}  // namespace plk::winmm
