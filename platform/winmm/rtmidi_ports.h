// What the devices built on RtMidi share: the MIDI systems, ports by name, input sinks.
#pragma once

#include <rtmidi/RtMidi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winmm/midi_in_device.h"

namespace plk::winmm {

// The names other programs see: the output port and the input port, each also the name of
// its client.
inline constexpr const char* kOutputPortName = "Plinkaro";
inline constexpr const char* kInputPortName = "Plinkaro In";

// What a failure message advises when no MIDI system could be used.
inline constexpr const char* kStartAPortSystem =
    "load the ALSA sequencer (modprobe snd-seq) or start a JACK server";

// Calls open(api, why) for each MIDI system in turn until one returns true. RtMidi's
// errors (thrown or printed) and each system's reason are gathered into whyNot as
// "ALSA: ...; JACK: ...". Returns false when no system opened.
bool OpenWithPortApis(const std::function<bool(RtMidi::Api, std::string& why)>& open,
                      std::string& whyNot);

// The MIDI systems to try, in order: the one PLINKARO_MIDI_API names, or the ALSA sequencer
// then JACK; none when the setting is not understood.
std::vector<RtMidi::Api> ChosenPortApis();

// The port of `ports` that a listing (port_directory.h) named `name`.
std::optional<unsigned> FindListedPort(RtMidi& ports, std::string_view name);

// The first of the port names whose name contains `part`; otherwise nullopt, with `why`
// naming the ports there are.
std::optional<unsigned> FindPort(const std::vector<std::string>& names, std::string_view part,
                                 const char* kind, std::string& why);
// The same among the ports RtMidi lists.
std::optional<unsigned> FindPort(RtMidi& ports, std::string_view part, const char* kind,
                                 std::string& why);

// An input on the ALSA sequencer (JACK's are jack_midi_input.h) whose messages, system
// exclusive and timing included, go to the sink. Throws RtMidiError.
std::unique_ptr<RtMidiIn> NewInput(RtMidi::Api api, MidiInputSink& sink);

// Whether a port is one of Plinkaro's own (its client's name begins with "Plinkaro").
bool IsOwnPort(std::string_view portName);

// Whether "all" listens to a source: never to Plinkaro's own ports, nor to a through port,
// which would echo Plinkaro's output back into its input.
bool IsForeignSource(const std::string& portName);

// While alive, what RtMidi prints on std::cerr is dropped (one at a time across threads).
class MutedStandardError {
 public:
  MutedStandardError();
  ~MutedStandardError();
  MutedStandardError(const MutedStandardError&) = delete;
  MutedStandardError& operator=(const MutedStandardError&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace plk::winmm
