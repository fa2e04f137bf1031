// Implements: listing the MIDI ports of the ALSA sequencer (with libasound's queries) and of
// a JACK server (jack_session.h), each through one long-lived client that has no ports of
// its own. A port is listed as RtMidi lists it, so that a listed port can be opened there.
// Does not implement: being told when ports come and go; callers list again.
#include "winmm/port_directory.h"

#include <alsa/asoundlib.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "winmm/jack_session.h"
#include "winmm/sound_library_logs.h"

namespace plk::winmm {
namespace {

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

}  // namespace

std::optional<std::vector<ListedPort>> ListPorts(RtMidi::Api api, PortDirection direction) {
  static AlsaDirectory alsa;
  if (api == RtMidi::LINUX_ALSA) return alsa.List(direction);
  if (api == RtMidi::UNIX_JACK) return ListJackPorts(direction);
  return std::nullopt;
}

}  // namespace plk::winmm
