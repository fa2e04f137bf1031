// The MIDI ports there are now on the ALSA sequencer or a JACK server.
#pragma once

#include <rtmidi/RtMidi.h>

#include <optional>
#include <string>
#include <vector>

namespace plk::winmm {

// The client that lists ports; its name begins with Plinkaro's, so that no list offers it.
inline constexpr const char* kListerName = "Plinkaro lister";

struct ListedPort {
  std::string client;
  std::string port;
  // The port's name as RtMidi gives it, which tells it apart and finds it again when it is
  // opened: "client:port", on the ALSA sequencer followed by the client's and the port's
  // numbers ("nanoKEY2:nanoKEY2 MIDI 1 24:0"), so that two devices of one make stay two.
  std::string name;
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
