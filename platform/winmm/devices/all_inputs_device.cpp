// Implements: "all", every MIDI source there is, hardware and software, on the ALSA
// sequencer or else a JACK server (rtmidi_ports.h), except Plinkaro's own ports, through
// ports, and the sources that an input of this process opened by their own listed id: those
// reach only that input, so no message arrives twice. Sources that appear later are
// connected within a second, and sources that go away are let go (so one that comes back
// is connected again); a source that its own input lets go is taken back within a second.
// An input opened by a source's listed id follows that one source the same way, and so does
// "port:NAME", the first source whose name contains NAME. On JACK each source is heard
// through a client of Plinkaro's own, closed at once when its server goes away and opened
// again when the source is listed again.
// Does not implement: being told of new sources on the ALSA sequencer (it lists again).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "winmm/jack_midi_input.h"
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

// Which sources a watcher listens to.
enum class Choice {
  kAll,    // every foreign source that no input claimed
  kExact,  // the source a listing named `only` (port_directory.h), claimed while it lives
  kFirst,  // the first source whose name contains `only`
};

class SourceWatcher final : public MidiInputDevice {
 public:
  SourceWatcher(RtMidi::Api api, MidiInputSink& sink, Choice choice, std::string only)
      : api_(api), sink_(sink), choice_(choice), only_(std::move(only)) {
    if (choice_ == Choice::kExact) {
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
  // The input of one source, closed before the filter it sends through: through RtMidi on
  // the ALSA sequencer, through a client of our own on JACK.
  struct Source {
    ClaimFilter filter;
    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<JackMidiPort> jack;
    bool ServerGone() const { return jack && jack->ServerGone(); }
  };

  // Rescans every period, and at once when a JACK source's server went away, so that its
  // client closes and the process may open clients again.
  void Watch() {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
      wake_.wait_for(lock, kRescanPeriod, [this] { return stopping_ || serverGone_; });
      if (stopping_) return;
      serverGone_ = false;
      lock.unlock();
      Rescan();
      lock.lock();
    }
  }

  void TellServerGone() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      serverGone_ = true;
    }
    wake_.notify_one();
  }

  bool Wants(const std::string& name) const {
    if (choice_ == Choice::kExact) return name == only_;
    return IsForeignSource(name) && ClaimsOn(name)->load() == 0;
  }

  // Only the constructor and then the watcher call it, so sources_ needs no lock.
  void Rescan() {
    std::erase_if(sources_, [](const auto& source) { return source.second->ServerGone(); });
    const auto ports = ListPorts(api_, PortDirection::kSource);
    if (!ports) return;  // the MIDI system went away; the next rescan tries again
    std::set<std::string> wanted;
    for (const ListedPort& port : *ports) {
      if (choice_ == Choice::kFirst) {
        if (port.name.find(only_) == std::string::npos) continue;
        wanted.insert(port.name);
        break;
      }
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
    auto source = std::make_unique<Source>(
        Source{ClaimFilter(sink_, choice_ == Choice::kAll ? ClaimsOn(name) : nullptr), {}, {}});
    if (api_ == RtMidi::UNIX_JACK) {
      JackMidiPort::Handlers handlers;
      handlers.onShutdown = [this] { TellServerGone(); };
      std::string why;
      source->jack = OpenJackMidiInput(kInputPortName, source->filter, why, handlers);
      if (!source->jack || !source->jack->ConnectWith(name)) return;
      sources_[name] = std::move(source);
      return;
    }
    MutedStandardError muted;
    try {
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
  const Choice choice_;
  const std::string only_;
  ClaimCount claim_;
  std::map<std::string, std::unique_ptr<Source>> sources_;

  std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool serverGone_ = false;
  std::thread watcher_;
};

// A watcher on the first MIDI system whose ports can be listed (and, choosing the first
// source by name, has one).
std::unique_ptr<MidiInputDevice> OpenWatcher(MidiInputSink& sink, Choice choice,
                                             const std::string& only, std::string& reasons) {
  std::unique_ptr<MidiInputDevice> device;
  OpenWithPortApis(
      [&](RtMidi::Api api, std::string& why) {
        const auto ports = ListPorts(api, PortDirection::kSource);
        if (!ports) {
          why = "its MIDI ports cannot be listed";
          return false;
        }
        if (choice == Choice::kFirst) {
          std::vector<std::string> names;
          for (const ListedPort& port : *ports) names.push_back(port.name);
          if (!FindPort(names, only, "source", why)) return false;
        }
        device = std::make_unique<SourceWatcher>(api, sink, choice, only);
        return true;
      },
      reasons);
  return device;
}

}  // namespace

std::unique_ptr<MidiInputDevice> OpenAllInputsDevice(std::string_view, MidiInputSink& sink,
                                                     std::string& whyNot) {
  std::string reasons;
  auto device = OpenWatcher(sink, Choice::kAll, "", reasons);
  if (!device) {
    whyNot = "cannot listen to MIDI inputs (" + reasons + "): " + kStartAPortSystem +
             ", or set PLINKARO_MIDI_IN=none";
  }
  return device;
}

std::unique_ptr<MidiInputDevice> OpenFirstSourceDevice(std::string_view part, MidiInputSink& sink,
                                                       std::string& whyNot) {
  return OpenWatcher(sink, Choice::kFirst, std::string(part), whyNot);
}

std::unique_ptr<MidiInputDevice> OpenListedSourceDevice(RtMidi::Api api,
                                                        const std::string& portName,
                                                        MidiInputSink& sink) {
  return std::make_unique<SourceWatcher>(api, sink, Choice::kExact, portName);
}

}  // namespace plk::winmm
