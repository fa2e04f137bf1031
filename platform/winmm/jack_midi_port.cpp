// Implements: a JACK client of Plinkaro's own with one MIDI port, opened through the
// process's JACK session (jack_session.h), its cycles and the server's news handed to the
// owner's handlers.
// Does not implement: more than one port per client.
#include "winmm/jack_midi_port.h"

#include <jack/midiport.h>

#include <cerrno>

namespace plk::winmm {

std::unique_ptr<JackMidiPort> JackMidiPort::Open(const char* name, Direction direction,
                                                 Handlers handlers, std::string& whyNot) {
  std::unique_ptr<JackMidiPort> port(new JackMidiPort(direction, std::move(handlers)));
  if (!port->Start(name, whyNot)) return nullptr;
  return port;
}

bool JackMidiPort::Start(const char* name, std::string& whyNot) {
  client_ = JackClient::Open(name, whyNot, handlers_.onShutdown);
  if (!client_) return false;
  jack_client_t* client = client_->get();
  port_ = jack_port_register(client, name, JACK_DEFAULT_MIDI_TYPE,
                             direction_ == Direction::kIn ? JackPortIsInput : JackPortIsOutput, 0);
  if (!port_) {
    whyNot = "the JACK server refused a MIDI port";
    return false;
  }
  client_->SetProcessCallback(
      [](jack_nframes_t frames, void* self) {
        auto* port = static_cast<JackMidiPort*>(self);
        port->handlers_.process(jack_port_get_buffer(port->port_, frames), frames);
        return 0;
      },
      this);
  if (handlers_.onPortsChanged) {
    client_->SetPortRegistrationCallback(
        [](jack_port_id_t, int, void* self) {
          static_cast<JackMidiPort*>(self)->handlers_.onPortsChanged();
        },
        this);
  }
  if (jack_activate(client) != 0) {
    whyNot = "the JACK server did not start the client";
    return false;
  }
  return true;
}

bool JackMidiPort::ConnectWith(const std::string& other) {
  const char* own = jack_port_name(port_);
  const int result = direction_ == Direction::kOut
                         ? jack_connect(client_->get(), own, other.c_str())
                         : jack_connect(client_->get(), other.c_str(), own);
  return result == 0 || result == EEXIST;
}

}  // namespace plk::winmm
