// A JACK client of our own with one MIDI port, followed until its server goes away.
#pragma once

#include <jack/jack.h>

#include <functional>
#include <memory>
#include <string>

#include "winmm/jack_session.h"

namespace plk::winmm {

class JackMidiPort {
 public:
  enum class Direction { kIn, kOut };
  struct Handlers {
    // Each cycle, on JACK's process thread, with the port's buffer.
    std::function<void(void* buffer, jack_nframes_t frames)> process;
    // On JACK's threads; they may not call into JACK (see JackClient::ShutdownHandler).
    std::function<void()> onShutdown;
    std::function<void()> onPortsChanged;  // a port of any client came or went
  };

  // A client named `name` with a port of the same name, active; null with the reason in
  // whyNot when no server answers.
  static std::unique_ptr<JackMidiPort> Open(const char* name, Direction direction,
                                            Handlers handlers, std::string& whyNot);
  // Leaves the server; no handler runs once it returns.
  ~JackMidiPort() = default;
  JackMidiPort(const JackMidiPort&) = delete;
  JackMidiPort& operator=(const JackMidiPort&) = delete;

  // Connects the port with another client's (full name): to it for an output, from it for
  // an input.
  bool ConnectWith(const std::string& other);
  bool Connected() const { return jack_port_connected(port_) > 0; }
  bool ServerGone() const { return client_->ServerGone(); }

 private:
  JackMidiPort(Direction direction, Handlers handlers)
      : direction_(direction), handlers_(std::move(handlers)) {}
  bool Start(const char* name, std::string& whyNot);

  const Direction direction_;
  const Handlers handlers_;
  jack_port_t* port_ = nullptr;
  std::unique_ptr<JackClient> client_;  // last: closed before the handlers go
};

}  // namespace plk::winmm
