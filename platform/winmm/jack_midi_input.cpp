// Implements: a MIDI input port on a JACK server through a client of Plinkaro's own (rather
// than RtMidi's, whose client cannot be told that its server went away), each event handed
// to the sink as it arrived, in the cycle it arrived in.
// Does not implement: the events' times within a cycle.
#include "winmm/jack_midi_input.h"

#include <jack/midiport.h>

#include <vector>

namespace plk::winmm {
namespace {

// NOTE: a port's buffer is filled by the client that feeds it, before this client's cycle
// in the server's graph. That order is kept by the server's own semaphores, which
// ThreadSanitizer cannot see when both clients live in one process (as in the tests), so
// the copy out of the buffer is left out of its checks; the bytes are checked again from
// the copy on.
__attribute__((no_sanitize("thread"))) void CopyEvent(const jack_midi_data_t* from,
                                                      std::size_t size, BYTE* to) {
  const volatile jack_midi_data_t* source = from;  // not turned into an intercepted memcpy
  for (std::size_t index = 0; index < size; ++index) to[index] = source[index];
}

void HandOn(void* buffer, MidiInputSink& sink) {
  const jack_nframes_t count = jack_midi_get_event_count(buffer);
  for (jack_nframes_t index = 0; index < count; ++index) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, index) != 0 || event.size == 0) continue;
    BYTE small[64];
    std::vector<BYTE> large;
    BYTE* bytes = small;
    if (event.size > sizeof small) {
      large.resize(event.size);
      bytes = large.data();
    }
    CopyEvent(event.buffer, event.size, bytes);
    sink.Receive(bytes, event.size);
  }
}

}  // namespace

std::unique_ptr<JackMidiPort> OpenJackMidiInput(const char* name, MidiInputSink& sink,
                                                std::string& whyNot,
                                                JackMidiPort::Handlers handlers) {
  handlers.process = [&sink](void* buffer, jack_nframes_t) { HandOn(buffer, sink); };
  return JackMidiPort::Open(name, JackMidiPort::Direction::kIn, std::move(handlers), whyNot);
}

}  // namespace plk::winmm
