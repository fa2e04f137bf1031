// Implements: a JACK client of Plinkaro's own with one MIDI output port, fed through a ring
// that the process callback empties into the port each cycle. Unlike RtMidi's JACK output,
// whose queue is private and whose close may unregister the port with bytes still queued,
// this one can wait (for a bounded time) until everything sent has left in a cycle, so a
// note-off sent just before the close reaches the other end.
// Does not implement: timestamps (every message goes out at the start of the next cycle),
// reconnecting after the server goes away (it reports that through the shutdown handler).
#include "winmm/jack_midi_output.h"

#include <jack/midiport.h>

#include <thread>

namespace plk::winmm {
namespace {

using SizeWord = std::uint32_t;
constexpr std::size_t kRingBytes = 64 * 1024;

}  // namespace

std::unique_ptr<JackMidiOutput> JackMidiOutput::Open(const char* name, std::string& whyNot,
                                                     ShutdownHandler onShutdown) {
  jack_status_t status;
  jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
  if (!client) {
    whyNot = "no JACK server is running";
    return nullptr;
  }
  std::unique_ptr<JackMidiOutput> output(new JackMidiOutput(client, std::move(onShutdown)));
  if (!output->Start(name, whyNot)) return nullptr;
  return output;
}

JackMidiOutput::JackMidiOutput(jack_client_t* client, ShutdownHandler onShutdown)
    : client_(client), onShutdown_(std::move(onShutdown)) {}

bool JackMidiOutput::Start(const char* name, std::string& whyNot) {
  ring_ = jack_ringbuffer_create(kRingBytes);
  port_ = jack_port_register(client_, name, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (!ring_ || !port_) {
    whyNot = "the JACK server refused a MIDI port";
    return false;
  }
  capacity_ = jack_ringbuffer_write_space(ring_);
  jack_set_process_callback(
      client_,
      [](jack_nframes_t frames, void* self) {
        static_cast<JackMidiOutput*>(self)->Process(frames);
        return 0;
      },
      this);
  jack_on_shutdown(
      client_,
      [](void* self) {
        auto* output = static_cast<JackMidiOutput*>(self);
        output->serverGone_ = true;
        if (output->onShutdown_) output->onShutdown_();
      },
      this);
  if (jack_activate(client_) != 0) {
    whyNot = "the JACK server did not start the client";
    return false;
  }
  return true;
}

JackMidiOutput::~JackMidiOutput() {
  Drain(kDrainLimit);
  // NOTE: a disconnection takes effect at the start of a cycle, so what the last cycle
  // wrote into the port still reaches the ports it was connected to.
  if (!serverGone_) jack_deactivate(client_);
  jack_client_close(client_);
  if (ring_) jack_ringbuffer_free(ring_);
}

std::vector<std::string> JackMidiOutput::Destinations() const {
  std::vector<std::string> names;
  const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  for (const char** port = ports; port && *port; ++port) {
    if (!jack_port_is_mine(client_, jack_port_by_name(client_, *port))) names.emplace_back(*port);
  }
  jack_free(ports);
  return names;
}

bool JackMidiOutput::ConnectTo(const std::string& destination) {
  return jack_connect(client_, jack_port_name(port_), destination.c_str()) == 0;
}

bool JackMidiOutput::Send(const unsigned char* bytes, std::size_t size) {
  const std::size_t needed = sizeof(SizeWord) + size;
  if (size == 0 || needed > capacity_) return false;
  const std::uint64_t queued = queued_.load(std::memory_order_relaxed);
  const auto fits = [&] {
    return queued - taken_.load(std::memory_order_acquire) + needed <= capacity_;
  };
  if (!fits() && !WaitUntil(fits, kDrainLimit)) return false;
  const auto word = static_cast<SizeWord>(size);
  // The room was counted first, so the ring takes all of it.
  jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&word), sizeof word);
  jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(bytes), size);
  queued_.store(queued + needed, std::memory_order_release);
  return true;
}

bool JackMidiOutput::Drain(std::chrono::milliseconds limit) {
  const std::uint64_t queued = queued_.load(std::memory_order_relaxed);
  return WaitUntil([&] { return taken_.load(std::memory_order_acquire) == queued; }, limit);
}

bool JackMidiOutput::WaitUntil(const std::function<bool()>& done,
                               std::chrono::milliseconds limit) const {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (serverGone_ || std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Runs on JACK's process thread: moves every whole message published so far into the
// port, at the start of the cycle; what the port cannot take waits for the next cycle.
void JackMidiOutput::Process(jack_nframes_t frames) {
  void* buffer = jack_port_get_buffer(port_, frames);
  jack_midi_clear_buffer(buffer);
  const std::uint64_t published = queued_.load(std::memory_order_acquire);
  std::uint64_t taken = taken_.load(std::memory_order_relaxed);
  bool first = true;
  while (taken < published) {
    SizeWord size = 0;
    jack_ringbuffer_peek(ring_, reinterpret_cast<char*>(&size), sizeof size);
    jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
    if (!event && !first) break;
    jack_ringbuffer_read_advance(ring_, sizeof size);
    // A message larger than an empty port takes is dropped, or it would block the rest.
    if (event) {
      jack_ringbuffer_read(ring_, reinterpret_cast<char*>(event), size);
    } else {
      jack_ringbuffer_read_advance(ring_, size);
    }
    taken += sizeof size + size;
    first = false;
  }
  taken_.store(taken, std::memory_order_release);
}

}  // namespace plk::winmm
