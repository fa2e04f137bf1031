// Implements: a JACK client of Plinkaro's own with one MIDI output port, fed through a ring
// that the process callback empties into the port each cycle. Unlike RtMidi's JACK output,
// whose queue is private and whose close may unregister the port with bytes still queued,
// this one can wait (for a bounded time) until everything sent has left in a cycle, so a
// note-off sent just before the close reaches the other end.
// Does not implement: timestamps (every message goes out at the start of the next cycle),
// reconnecting after the server goes away (its owner is told, and opens a new one).
#include "winmm/jack_midi_output.h"

#include <jack/midiport.h>

#include <thread>

namespace plk::winmm {
namespace {

using SizeWord = std::uint32_t;
constexpr std::size_t kRingBytes = 64 * 1024;

}  // namespace

std::unique_ptr<JackMidiOutput> JackMidiOutput::Open(const char* name, std::string& whyNot,
                                                     JackMidiPort::Handlers handlers) {
  std::unique_ptr<JackMidiOutput> output(new JackMidiOutput);
  output->ring_ = jack_ringbuffer_create(kRingBytes);
  if (!output->ring_) {
    whyNot = "no memory for the JACK output's queue";
    return nullptr;
  }
  output->capacity_ = jack_ringbuffer_write_space(output->ring_);
  JackMidiOutput* self = output.get();
  handlers.process = [self](void* buffer, jack_nframes_t) { self->Process(buffer); };
  output->port_ =
      JackMidiPort::Open(name, JackMidiPort::Direction::kOut, std::move(handlers), whyNot);
  if (!output->port_) return nullptr;
  return output;
}

JackMidiOutput::~JackMidiOutput() {
  if (port_) Drain(kDrainLimit);
  // NOTE: a disconnection takes effect at the start of a cycle, so what the last cycle
  // wrote into the port still reaches the ports it was connected to.
  port_.reset();
  if (ring_) jack_ringbuffer_free(ring_);
}

std::vector<std::string> JackMidiOutput::Destinations() {
  std::vector<std::string> names;
  for (ListedPort& port :
       ListJackPorts(PortDirection::kDestination).value_or(std::vector<ListedPort>{})) {
    names.push_back(std::move(port.name));
  }
  return names;
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
    if (ServerGone() || std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Runs on JACK's process thread: moves every whole message published so far into the
// port, at the start of the cycle; what the port cannot take waits for the next cycle.
void JackMidiOutput::Process(void* buffer) {
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
