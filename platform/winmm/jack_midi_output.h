// A JACK client of our own with one MIDI output port whose last messages a close waits for.
#pragma once

#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "winmm/jack_midi_port.h"

namespace plk::winmm {

class JackMidiOutput {
 public:
  // A client named `name` with an output port of the same name, active; null with the
  // reason in whyNot when no server answers. The handlers' process is its own.
  static std::unique_ptr<JackMidiOutput> Open(const char* name, std::string& whyNot,
                                              JackMidiPort::Handlers handlers = {});
  // Waits (bounded, see Drain) for what was sent, then leaves the server.
  ~JackMidiOutput();
  JackMidiOutput(const JackMidiOutput&) = delete;
  JackMidiOutput& operator=(const JackMidiOutput&) = delete;

  // The full names of the ports that take MIDI, other than this client's.
  static std::vector<std::string> Destinations();
  bool ConnectTo(const std::string& destination) { return port_->ConnectWith(destination); }
  bool Connected() const { return port_->Connected(); }

  // Queues one complete message for the next cycle; a full ring is given up to
  // kDrainLimit to make room. False when it is dropped (too long, or the ring stays full).
  // One sender at a time.
  bool Send(const unsigned char* bytes, std::size_t size);
  // Waits until a process cycle has written every message sent into the port, the server
  // is gone, or `limit` has passed; true in the first case.
  bool Drain(std::chrono::milliseconds limit);
  bool ServerGone() const { return port_->ServerGone(); }

  // How long a close waits for the last messages: two cycles of the usual sizes, with room
  // for a server that is late.
  static constexpr std::chrono::milliseconds kDrainLimit{50};

 private:
  JackMidiOutput() = default;
  void Process(void* buffer);
  bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) const;

  jack_ringbuffer_t* ring_ = nullptr;
  std::size_t capacity_ = 0;
  std::unique_ptr<JackMidiPort> port_;
  // Bytes (size words and messages) put into the ring by the sender, and taken out by the
  // process callback. NOTE: the ring's own positions move inside libjack, out of
  // ThreadSanitizer's sight; these two order each message's bytes between the threads,
  // and the sender counts free room from them.
  std::atomic<std::uint64_t> queued_{0};
  std::atomic<std::uint64_t> taken_{0};
};

}  // namespace plk::winmm
