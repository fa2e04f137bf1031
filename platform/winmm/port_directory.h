// The MIDI ports there are now on the ALSA sequencer or a JACK server, for the device
// lists and for "all", which connects every source.
#pragma once

#include <rtmidi/RtMidi.h>

#include <optional>
#include <string>
#include <vector>

namespace plk::winmm {

struct ListedPort {
  std::string client;
  std::string port;
  // "client:port": how the port is found again when it is opened (RtMidi's names of ALSA
  // ports end in the client and port numbers, which may change; this does not).
  std::string WholeName() const { return client + ":" + port; }
};

enum class PortDirection {
  kSource,       // ports that send MIDI: keyboards, other programs' outputs
  kDestination,  // ports that take MIDI: synthesizers, MIDI out sockets
};

// The ports of one direction on `api` (LINUX_ALSA or UNIX_JACK), in the system's order;
// nullopt when that system cannot be reached. Each system is read through one client of its
// own, opened at the first listing and kept (opened again after a JACK server went away),
// so listing, however often, leaves no clients behind.
std::optional<std::vector<ListedPort>> ListPorts(RtMidi::Api api, PortDirection direction);

}  // namespace plk::winmm
