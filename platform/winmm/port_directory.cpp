// Implements: listing the MIDI ports of the ALSA sequencer (with libasound's queries) and of
// a JACK server (jack_get_ports), each through one long-lived client that has no ports of
// its own. A port is listed as RtMidi lists it, so that a listed port can be opened there.
// Does not implement: being told when ports come and go; callers list again.
#include "winmm/port_directory.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "winmm/sound_library_logs.h"

namespace plk::winmm {
namespace {

// Its name begins with Plinkaro's, so that no list offers it.
constexpr const char* kListerName = "Plinkaro lister";

class AlsaDirectory {
 public:
  AlsaDirectory() = default;
  ~AlsaDirectory() {
    if (sequencer_) snd_seq_close(sequencer_);
  }
  AlsaDirectory(const AlsaDirectory&) = delete;
  AlsaDirectory& operator=(const AlsaDirectory&) = delete;

  std::optional<std::vector<ListedPort>> List(PortDirection direction) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!sequencer_ && !Open()) return std::nullopt;
    const unsigned wanted = direction == PortDirection::kSource
                                ? SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ
                                : SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
    // The port types RtMidi opens.
    const unsigned midiTypes =
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH | SND_SEQ_PORT_TYPE_APPLICATION;
    std::vector<ListedPort> ports;
    snd_seq_client_info_set_client(client_.get(), -1);
    while (snd_seq_query_next_client(sequencer_, client_.get()) >= 0) {
      const int number = snd_seq_client_info_get_client(client_.get());
      if (number == 0) continue;  // the sequencer's own timer and announcements
      snd_seq_port_info_set_client(port_.get(), number);
      snd_seq_port_info_set_port(port_.get(), -1);
      while (snd_seq_query_next_port(sequencer_, port_.get()) >= 0) {
        if ((snd_seq_port_info_get_type(port_.get()) & midiTypes) == 0) continue;
        if ((snd_seq_port_info_get_capability(port_.get()) & wanted) != wanted) continue;
        ListedPort listed{snd_seq_client_info_get_name(client_.get()),
                          snd_seq_port_info_get_name(port_.get()), ""};
        listed.name = listed.client + ":" + listed.port + " " + std::to_string(number) + ":" +
                      std::to_string(snd_seq_port_info_get_port(port_.get()));
        ports.push_back(std::move(listed));
      }
    }
    return ports;
  }

 private:
  struct ClientInfoDeleter {
    void operator()(snd_seq_client_info_t* info) const { snd_seq_client_info_free(info); }
  };
  struct PortInfoDeleter {
    void operator()(snd_seq_port_info_t* info) const { snd_seq_port_info_free(info); }
  };

  // Without a sequencer (no snd-seq module, a container) this fails at once, every time.
  bool Open() {
    QuietSoundLibraries();
    if (snd_seq_open(&sequencer_, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0) {
      sequencer_ = nullptr;
      return false;
    }
    snd_seq_set_client_name(sequencer_, kListerName);
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_malloc(&client);
    snd_seq_port_info_malloc(&port);
    client_.reset(client);
    port_.reset(port);
    return true;
  }

  std::mutex lock_;
  snd_seq_t* sequencer_ = nullptr;
  std::unique_ptr<snd_seq_client_info_t, ClientInfoDeleter> client_;
  std::unique_ptr<snd_seq_port_info_t, PortInfoDeleter> port_;
};

class JackDirectory {
 public:
  JackDirectory() = default;
  ~JackDirectory() {
    if (client_ && !serverGone_) jack_client_close(client_);
  }
  JackDirectory(const JackDirectory&) = delete;
  JackDirectory& operator=(const JackDirectory&) = delete;

  std::optional<std::vector<ListedPort>> List(PortDirection direction) {
    std::lock_guard<std::mutex> guard(lock_);
    if (client_ && serverGone_) Abandon();
    if (!client_ && !Open()) return std::nullopt;
    // A source sends: its JACK port is an output.
    const unsigned long flags =
        direction == PortDirection::kSource ? JackPortIsOutput : JackPortIsInput;
    const char** names = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    std::vector<ListedPort> ports;
    for (const char** name = names; name && *name; ++name) {
      const std::string_view whole = *name;
      const auto colon = whole.find(':');
      if (colon == std::string_view::npos) continue;
      ports.push_back({std::string(whole.substr(0, colon)), std::string(whole.substr(colon + 1)),
                       std::string(whole)});
    }
    jack_free(names);
    return ports;
  }

 private:
  // Without a server this fails at once and starts none.
  bool Open() {
    QuietSoundLibraries();
    jack_status_t status;
    client_ = jack_client_open(kListerName, JackNoStartServer, &status);
    if (!client_) return false;
    serverGone_ = false;
    jack_on_shutdown(
        client_, [](void* gone) { static_cast<std::atomic<bool>*>(gone)->store(true); },
        &serverGone_);
    return true;
  }

  // NOTE: a client whose server went away is never closed: libjack may already have torn
  // down what closing it needs (after another client's failed open, closing it aborts the
  // process). It is kept, unused, until the process ends.
  void Abandon() {
    abandoned_.push_back(client_);
    client_ = nullptr;
  }

  std::mutex lock_;
  jack_client_t* client_ = nullptr;
  std::atomic<bool> serverGone_{false};
  std::vector<jack_client_t*> abandoned_;
};

}  // namespace

std::optional<std::vector<ListedPort>> ListPorts(RtMidi::Api api, PortDirection direction) {
  static AlsaDirectory alsa;
  static JackDirectory jack;
  if (api == RtMidi::LINUX_ALSA) return alsa.List(direction);
  if (api == RtMidi::UNIX_JACK) return jack.List(direction);
  return std::nullopt;
}

}  // namespace plk::winmm
